#ifndef NOXCORE_COMMUNICATION_NODESTATEMANAGER_H
#define NOXCORE_COMMUNICATION_NODESTATEMANAGER_H

#include "nodestatecontext.h"
#include "statemanager.h"

#include "Tools/delegate.h"

namespace NoxCore
{
namespace Communication
{

class ICommunicationNode;

// Keeps one communication node in a desired state (NodeState::Open or NodeState::Closed). While active it
// checks the node on every tick of its timer (every 500 ms unless set otherwise): a node that should be open
// is opened, a node that fails to open or fails the check delegate is closed and retried on the next tick.
// This is how a device that went away is picked up again once it returns. Every change of the current
// state, and only a change, is announced with stateChanged.
//
// Ownership: the manager never owns its node; whoever holds the node keeps it alive while the manager can
// still check it. Everything (timer, checks, delegate calls, signals) runs on the thread that owns the
// manager; a check blocks for as long as the node's open() and the delegate take.
class NodeStateManager : public StateManager
{
    Q_OBJECT
public:
    // Optional extra check of a node that opened. The slot takes the manager's own context and returns the
    // state the node is really in; anything but NodeState::Open fails the check. Declare the slot with the
    // fully qualified type, or Qt finds no match:
    //     int onCheckStreamState(NoxCore::Communication::NodeStateContext* stateContext);
    Tools::Delegate stateCheckDelegate;

    // The node must not be null. The manager starts inactive, every state NodeState::Unknown.
    explicit NodeStateManager(ICommunicationNode* node);
    ~NodeStateManager() override;

    // Desired state Open when active, Closed otherwise; then starts or stops polling and checks the node at
    // once, so it is opened or closed before the call returns.
    void setActive(bool active) override;
    // Drives the node towards the desired state, reports and returns the resulting state: Open, Closed, or
    // Unknown for any other desired state.
    int checkState() override;
    int lastState() const override;
    // Takes effect with the next check.
    virtual void setDesiredState(int state);
    virtual void setActive(bool active, int desiredState);

    // Sets the current state without a check and without a signal; false if it is the current one already.
    bool setState(int state);
    // The manager's own context, handed to the check delegate; copies of it travel with stateChanged.
    NodeStateContext* context();

    // Blocks until lastState() is state (true) or timeoutMs have passed (false). The state is tested before
    // the time-out, so a time-out of 0 tests once without sleeping. Sleeps pollMs between tests, never past
    // the time-out; with processEvents the event loop runs between tests, so timers (this manager's and
    // others') keep firing.
    bool waitForState(int state, int timeoutMs, int pollMs, bool processEvents);

signals:
    void stateChanged(NoxCore::Communication::NodeStateContext context, int previousState, int currentState);

private:
    bool isNodeOpenAndChecked(ICommunicationNode* node);

    int itsDesiredState;
    int itsPreviousState;
    int itsLastState;
    NodeStateContext itsContext;
};

} // namespace Communication
} // namespace NoxCore

#endif
