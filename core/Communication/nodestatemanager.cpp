#include "nodestatemanager.h"

#include "icommunicationnode.h"
#include "nodestate.h"

#include "Tools/elapsedtimer.h"
#include "Tools/noxassert.h"

#include <QCoreApplication>
#include <QThread>

namespace NoxCore
{
namespace Communication
{

NodeStateManager::NodeStateManager(ICommunicationNode* node)
    : StateManager(nullptr), itsDesiredState(NodeState::Unknown), itsPreviousState(NodeState::Unknown),
      itsLastState(NodeState::Unknown)
{
    NOX_ASSERT(node != NULL, "node is Null!");
    itsContext.setCommunicationNode(node);
    // Receivers may connect stateChanged queued; the context must be known by then, and a receiver can only
    // connect to a manager that exists.
    qRegisterMetaType<NodeStateContext>();
}

NodeStateManager::~NodeStateManager() = default;

void NodeStateManager::setActive(bool active)
{
    setActive(active, active ? NodeState::Open : NodeState::Closed);
}

void NodeStateManager::setActive(bool active, int desiredState)
{
    setDesiredState(desiredState);
    StateManager::setActive(active);
    checkState();
}

int NodeStateManager::checkState()
{
    ICommunicationNode* node = itsContext.communicationNode();
    int state = NodeState::Unknown;
    if (itsDesiredState == NodeState::Open)
    {
        state = isNodeOpenAndChecked(node) ? NodeState::Open : NodeState::Closed;
        // A node that opened but failed its check is closed too, so the next tick starts from scratch.
        if (state == NodeState::Closed)
            node->close();
    }
    else if (itsDesiredState == NodeState::Closed)
    {
        node->close();
        state = NodeState::Closed;
    }
    if (setState(state))
        emit stateChanged(itsContext, itsPreviousState, state);
    // Not itsLastState: a receiver of the signal may have deleted this manager.
    return state;
}

bool NodeStateManager::isNodeOpenAndChecked(ICommunicationNode* node)
{
    // A node may report a successful open() and still not be open; only isOpen() counts.
    if ((!node->isOpen() && !node->open()) || !node->isOpen())
        return false;
    if (!stateCheckDelegate.isSet())
        return true;
    int checkedState = NodeState::Unknown;
    NodeStateContext* context = &itsContext;
    return stateCheckDelegate.invoke(Q_RETURN_ARG(int, checkedState),
                                     Q_ARG(NoxCore::Communication::NodeStateContext*, context)) &&
           checkedState == NodeState::Open;
}

int NodeStateManager::lastState() const
{
    return itsLastState;
}

void NodeStateManager::setDesiredState(int state)
{
    itsDesiredState = state;
}

bool NodeStateManager::setState(int state)
{
    if (state == itsLastState)
        return false;
    itsPreviousState = itsLastState;
    itsLastState = state;
    return true;
}

NodeStateContext* NodeStateManager::context()
{
    return &itsContext;
}

bool NodeStateManager::waitForState(int state, int timeoutMs, int pollMs, bool processEvents)
{
    Tools::ElapsedTimer waited;
    waited.start();
    if (processEvents)
        QCoreApplication::processEvents();
    while (lastState() != state)
    {
        const qint64 remainingMs = timeoutMs - waited.elapsed();
        if (remainingMs <= 0)
            return false;
        // A negative poll period would become an endless unsigned sleep.
        QThread::msleep(static_cast<unsigned long>(qBound(qint64(0), qint64(pollMs), remainingMs)));
        if (processEvents)
            QCoreApplication::processEvents();
    }
    return true;
}

} // namespace Communication
} // namespace NoxCore
