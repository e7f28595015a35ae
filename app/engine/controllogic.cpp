#include "controllogic.h"

#include "Communication/communicationstackelement.h"
#include "Communication/comstream.h"
#include "Communication/iccomcore.h"
#include "Communication/nodestate.h"
#include "Communication/nodestatemanager.h"

using namespace NoxCore::Communication;

namespace
{

// I2C configuration sent to the module when its stream opens: module 2, clock mode 2, no custom clock.
const unsigned char I2C_MODULE = 2;
const unsigned char I2C_CLOCK_MODE = 2;
const unsigned int I2C_CUSTOM_CLOCK_SPEED = 0;
const unsigned int I2C_CONFIG_TRACE = 0x08000000;

const QString MODULE_STREAM = QStringLiteral("MODULE_STREAM");

} // namespace

ControlLogic::ControlLogic()
    : itsI2cConfig(I2C_MODULE, I2C_CLOCK_MODE, I2C_CUSTOM_CLOCK_SPEED, I2C_CONFIG_TRACE), itsStack(this)
{
}

ControlLogic::~ControlLogic()
{
    shutdown();
}

void ControlLogic::initialize(NoxCore::Tracing::Tracer* tracer)
{
    itsStack.setName(QStringLiteral("Default"));
    itsStack.init(PRODUCT_ID, I2C_CONFIGURATION, &itsI2cConfig, tracer);
    itsStack.setIcCheckRegister(IC_CHECK_REGISTER, IC_CHECK_VALUE);

    if (NodeStateManager* manager = icStateManager())
        connect(manager, &NodeStateManager::stateChanged, this, &ControlLogic::onIcStateChanged,
                Qt::DirectConnection);
    if (NodeStateManager* manager = moduleStreamStateManager())
        connect(manager, &NodeStateManager::stateChanged, this, &ControlLogic::onModuleStateChanged,
                Qt::DirectConnection);
}

void ControlLogic::activate()
{
    itsStack.setActive(true);
}

void ControlLogic::shutdown()
{
    if (!itsStack.isInitialized())
        return;
    itsStack.setActive(false);
    if (NodeStateManager* manager = icStateManager())
        disconnect(manager, &NodeStateManager::stateChanged, this, &ControlLogic::onIcStateChanged);
    if (NodeStateManager* manager = moduleStreamStateManager())
        disconnect(manager, &NodeStateManager::stateChanged, this, &ControlLogic::onModuleStateChanged);
    itsStack.deinit();
}

NodeStateManager* ControlLogic::icStateManager() const
{
    // The first element, by name, whose node is the register core.
    for (const QString& name : itsStack.elementNames())
    {
        CommunicationStackElement* element = itsStack.findElement(name);
        if (element != nullptr && dynamic_cast<IcComCore*>(element->node()) != nullptr)
            return element->stateManager();
    }
    return nullptr;
}

ComStream* ControlLogic::moduleStream() const
{
    CommunicationStackElement* element = itsStack.findElement(MODULE_STREAM);
    return element != nullptr ? dynamic_cast<ComStream*>(element->node()) : nullptr;
}

NodeStateManager* ControlLogic::moduleStreamStateManager() const
{
    NodeStateManager* manager = nullptr;
    itsStack.tryGetStateManager(MODULE_STREAM, &manager);
    return manager;
}

void ControlLogic::onIcStateChanged(NodeStateContext, int previousState, int currentState)
{
    if (currentState == NodeState::Open)
        itsCommunicationInitialized.invoke();
    else if (previousState == NodeState::Open || previousState == NodeState::Closing)
        itsCommunicationDeinitialized.invoke();
}

void ControlLogic::onModuleStateChanged(NodeStateContext, int, int currentState)
{
    if (currentState == NodeState::Open)
        emit tofModuleActivated();
}
