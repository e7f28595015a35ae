#include "raspistreamcommunicationstack.h"

#include "Communication/Control/firmwarenumbercomobject.h"
#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/communicationstackelement.h"
#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "Communication/iccomcore.h"
#include "Communication/iregistercommunication.h"
#include "Communication/nodestate.h"
#include "Communication/nodestatemanager.h"
#include "Communication/registerinfostd.h"
#include "Communication/registervalue.h"
#include "Serial/serialcomdriver.h"
#include "Tools/noxassert.h"
#include "Tools/rttihelper.h"
#include "Tracing/tracer.h"
#include "Tracing/traceviewer.h"
#include "hidcomdriver.h"

#include <typeinfo>

using namespace NoxCore::Communication;
using NoxCom::Serial::SerialComDeviceInfo;
using NoxCom::Serial::SerialComDriver;
using NoxHid::HidComDeviceInfo;
using NoxHid::HidComDriver;

namespace NoxRasPi
{

namespace
{

const QString CONTROL_HID = QStringLiteral("CONTROL_HID");
const QString CONTROL_STREAM = QStringLiteral("CONTROL_STREAM");
const QString MODULE_HID = QStringLiteral("MODULE_HID");
const QString MODULE_STREAM = QStringLiteral("MODULE_STREAM");
const char* const CONTROL_INTERFACE = "mi_03";
const char* const MODULE_INTERFACE = "mi_04";

// Trace patterns of the stack's own checks, so that a trace viewer can filter them out.
const unsigned int FIRMWARE_CHECK_TRACE = 0x40000000;
const unsigned int IC_CHECK_TRACE = 0x100000;
const unsigned int IC_CHECK_WIDTH = 8;
const unsigned int IC_CHECK_MASK = 0xFF;

HidComDriver* createHidDriver(quint16 productId, const char* interface)
{
    HidComDeviceInfo info(RasPiStreamCommunicationStack::VENDOR_ID, productId);
    info.setPath(interface);
    auto* driver = new HidComDriver(info);
    driver->setSettings(NoxHid::HidDeviceSettings(0, 0));
    driver->setFormatter(new ComStreamFormatter());
    return driver;
}

} // namespace

RasPiStreamCommunicationStack::RasPiStreamCommunicationStack(QObject* parent) : CommunicationStack(parent) {}

RasPiStreamCommunicationStack::~RasPiStreamCommunicationStack()
{
    deinit();
}

QString RasPiStreamCommunicationStack::classNameOf(const char* mangledTypeName)
{
    // "NoxCore::Communication::IcComCore*" becomes "IcComCore".
    QString name = QString::fromStdString(NoxCore::Tools::RttiHelper::unmangleTypeName(mangledTypeName));
    name.remove(QLatin1Char('*')).remove(QLatin1Char('&'));
    const int lastColon = name.lastIndexOf(QLatin1Char(':'));
    if (lastColon > 0)
        name = name.mid(lastColon + 1);
    return name;
}

void RasPiStreamCommunicationStack::init(quint16 productId, quint8 i2cConfiguration,
                                         I2c::I2cConfigComObject* configObject,
                                         NoxCore::Tracing::Tracer* tracer)
{
    NOX_ASSERT(!itsIsInitialized, "CommunicationStack is already initialized.");
    NOX_ASSERT(configObject != NULL, "configObject is Null!");
    setName(QStringLiteral("Default"));
    itsI2cConfiguration = i2cConfiguration;
    itsConfigObject = configObject;

    HidComDriver* controlDriver = createHidDriver(productId, CONTROL_INTERFACE);
    insertNode(CONTROL_HID, controlDriver, QString());
    insertNode(CONTROL_STREAM, new ComStream(controlDriver, ComStream::theImmediateFlushPolicy), CONTROL_HID);

    HidComDriver* moduleDriver = createHidDriver(productId, MODULE_INTERFACE);
    insertNode(MODULE_HID, moduleDriver, CONTROL_HID);
    auto* moduleStream = new ComStream(moduleDriver, ComStream::theImmediateFlushPolicy);
    insertNode(MODULE_STREAM, moduleStream, MODULE_HID);

    IcComCore* icCore = new IcComCore(moduleStream, nullptr);
    itsIcCoreName = classNameOf(typeid(icCore).name());
    insertNode(itsIcCoreName, icCore, MODULE_STREAM);

    auto* serialDriver = new SerialComDriver(SerialComDeviceInfo(VENDOR_ID, productId));
    // The serial port is polled with the rest of the chain; its reads must never wait for data.
    serialDriver->setWaitForReadyRead(false);
    itsSerialDriverName = classNameOf(typeid(serialDriver).name());
    insertNode(itsSerialDriverName, serialDriver, CONTROL_HID);

    itsTracer = tracer;
    moduleStream->setTracer(tracer);
    if (tracer != nullptr)
    {
        tracer->setComExecutor(moduleStream);
        // The read-backs that verify every register write would double the viewer's list.
        tracer->viewer()->setNegativeFilter(IcComCore::VERIFICATION_TRACE_BIT);
    }

    connectStateChanged(CONTROL_HID,
                        SLOT(onControlHidStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    connectStateChanged(MODULE_HID,
                        SLOT(onModuleHidStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    connectStateChanged(MODULE_STREAM,
                        SLOT(onModuleStreamStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    connectStateChanged(itsIcCoreName,
                        SLOT(onIcStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    connectStateChanged(itsSerialDriverName,
                        SLOT(onCdcStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    setCheckDelegate(CONTROL_STREAM,
                     SLOT(onCheckControlStreamState(NoxCore::Communication::NodeStateContext*)));
    setCheckDelegate(MODULE_STREAM,
                     SLOT(onCheckModuleStreamState(NoxCore::Communication::NodeStateContext*)));
    setCheckDelegate(itsIcCoreName, SLOT(onCheckIcState(NoxCore::Communication::NodeStateContext*)));
    setCheckDelegate(itsSerialDriverName, SLOT(onCheckCdcState(NoxCore::Communication::NodeStateContext*)));

    itsIsInitialized = true;
}

void RasPiStreamCommunicationStack::setIcCheckRegister(quint8 address, quint8 expectedValue)
{
    itsIcCheckAddress = address;
    itsIcCheckValue = expectedValue;
}

void RasPiStreamCommunicationStack::setActive(bool active)
{
    NOX_ASSERT(itsIsInitialized, "CommunicationStack is not initialized.");
    if (active)
    {
        setElementActive(CONTROL_HID, true);
        return;
    }
    // From the top down, so that no level is checked over a closed one.
    for (const QString& name : {itsIcCoreName, MODULE_STREAM, MODULE_HID, CONTROL_STREAM, CONTROL_HID})
        setElementActive(name, false);
}

void RasPiStreamCommunicationStack::deinit()
{
    if (!itsIsInitialized)
        return;
    setActive(false);
    disconnectStateChanged(itsSerialDriverName,
                           SLOT(onCdcStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    disconnectStateChanged(itsIcCoreName,
                           SLOT(onIcStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    disconnectStateChanged(
        MODULE_STREAM, SLOT(onModuleStreamStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    disconnectStateChanged(MODULE_HID,
                           SLOT(onModuleHidStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    disconnectStateChanged(CONTROL_STREAM, SLOT(onControlStreamStateChanged(
                                               NoxCore::Communication::NodeStateContext, int, int)));
    disconnectStateChanged(
        CONTROL_HID, SLOT(onControlHidStateChanged(NoxCore::Communication::NodeStateContext, int, int)));
    deleteFormatter(MODULE_HID);
    deleteFormatter(CONTROL_HID);
    // The tracer's player must not keep the stream that is about to go.
    if (itsTracer != nullptr)
        itsTracer->setComExecutor(nullptr);
    clearElements(true);
    itsIsInitialized = false;
}

void RasPiStreamCommunicationStack::setRegisterSet(NoxCore::Register::RegisterSet* registerSet)
{
    CommunicationStackElement* element = findElement(itsIcCoreName);
    if (auto* icCore = element ? dynamic_cast<IcComCore*>(element->node()) : nullptr)
        icCore->setRegisterSet(registerSet);
}

void RasPiStreamCommunicationStack::setElementActive(const QString& name, bool active)
{
    if (CommunicationStackElement* element = findElement(name))
        element->stateManager()->setActive(active);
}

void RasPiStreamCommunicationStack::connectStateChanged(const QString& name, const char* slot)
{
    if (CommunicationStackElement* element = findElement(name))
        connect(element->stateManager(),
                SIGNAL(stateChanged(NoxCore::Communication::NodeStateContext, int, int)), this, slot,
                Qt::DirectConnection);
}

void RasPiStreamCommunicationStack::disconnectStateChanged(const QString& name, const char* slot)
{
    if (CommunicationStackElement* element = findElement(name))
        disconnect(element->stateManager(),
                   SIGNAL(stateChanged(NoxCore::Communication::NodeStateContext, int, int)), this, slot);
}

void RasPiStreamCommunicationStack::setCheckDelegate(const QString& name, const char* slot)
{
    if (CommunicationStackElement* element = findElement(name))
        element->stateManager()->stateCheckDelegate.set(this, slot);
}

void RasPiStreamCommunicationStack::deleteFormatter(const QString& name)
{
    CommunicationStackElement* element = findElement(name);
    auto* driver = element ? dynamic_cast<HidComDriver*>(element->node()) : nullptr;
    if (driver == nullptr || driver->formatter() == nullptr)
        return;
    IComStreamFormatter* formatter = driver->formatter();
    // A closed driver lets go of its formatter; the stack closed it with setActive(false).
    driver->close();
    driver->setFormatter(nullptr);
    delete formatter;
}

int RasPiStreamCommunicationStack::checkFirmwareNumber(NodeStateContext* stateContext)
{
    auto* executor = stateContext ? dynamic_cast<IComExecutor*>(stateContext->communicationNode()) : nullptr;
    if (executor == nullptr)
        return NodeState::Unknown;
    Control::FirmwareNumberComObject firmwareNumber(FIRMWARE_CHECK_TRACE);
    firmwareNumber.setCallingType(IComObject::RequestAndResponse);
    executor->execute(&firmwareNumber);
    if (executor->lastError() != 0)
        return NodeState::Closed;
    return firmwareNumber.status() == 0 ? NodeState::Open : NodeState::Unknown;
}

int RasPiStreamCommunicationStack::onCheckControlStreamState(NodeStateContext* stateContext)
{
    return checkFirmwareNumber(stateContext);
}

int RasPiStreamCommunicationStack::onCheckModuleStreamState(NodeStateContext* stateContext)
{
    return checkFirmwareNumber(stateContext);
}

int RasPiStreamCommunicationStack::onCheckIcState(NodeStateContext* stateContext)
{
    auto* registers =
        stateContext ? dynamic_cast<IRegisterCommunication*>(stateContext->communicationNode()) : nullptr;
    if (registers == nullptr)
        return NodeState::Unknown;
    RegisterInfoStd info(itsIcCheckAddress, IC_CHECK_WIDTH, IC_CHECK_WIDTH, IC_CHECK_MASK);
    info.setTracePattern(IC_CHECK_TRACE);
    RegisterValue value;
    const int result = registers->readRegister(&info, &value, false);
    const bool present = result == 0 && value.state() == 0 && value.value() == itsIcCheckValue;
    return present ? NodeState::Open : NodeState::Closed;
}

int RasPiStreamCommunicationStack::onCheckCdcState(NodeStateContext* stateContext)
{
    const bool isSerialDriver = stateContext != nullptr &&
                                dynamic_cast<SerialComDriver*>(stateContext->communicationNode()) != nullptr;
    return isSerialDriver ? NodeState::Open : NodeState::Unknown;
}

void RasPiStreamCommunicationStack::onControlHidStateChanged(NodeStateContext, int, int currentState)
{
    const bool open = currentState == NodeState::Open;
    for (const QString& name : {MODULE_HID, itsSerialDriverName, CONTROL_STREAM})
        setElementActive(name, open);
}

void RasPiStreamCommunicationStack::onControlStreamStateChanged(NodeStateContext, int, int) {}

void RasPiStreamCommunicationStack::onModuleHidStateChanged(NodeStateContext, int, int currentState)
{
    setElementActive(MODULE_STREAM, currentState == NodeState::Open);
}

void RasPiStreamCommunicationStack::onModuleStreamStateChanged(NodeStateContext, int, int currentState)
{
    CommunicationStackElement* streamElement = findElement(MODULE_STREAM);
    auto* moduleStream = streamElement ? dynamic_cast<ComStream*>(streamElement->node()) : nullptr;
    if (currentState != NodeState::Open || moduleStream == nullptr)
    {
        setElementActive(itsIcCoreName, false);
        return;
    }
    // The module's I2C bridge is configured once per opening; no answer is waited for.
    itsConfigObject->setCallingType(IComObject::FireAndForget);
    moduleStream->execute(itsConfigObject);
    itsComObjectProvider.setConfiguration(itsI2cConfiguration);
    CommunicationStackElement* icElement = findElement(itsIcCoreName);
    if (auto* icCore = icElement ? dynamic_cast<IcComCore*>(icElement->node()) : nullptr)
        icCore->setComObjectProvider(&itsComObjectProvider);
    setElementActive(itsIcCoreName, true);
}

void RasPiStreamCommunicationStack::onIcStateChanged(NodeStateContext, int, int) {}

void RasPiStreamCommunicationStack::onCdcStateChanged(NodeStateContext, int, int) {}

} // namespace NoxRasPi
