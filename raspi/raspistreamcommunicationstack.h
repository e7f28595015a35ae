#ifndef NOXRASPI_RASPISTREAMCOMMUNICATIONSTACK_H
#define NOXRASPI_RASPISTREAMCOMMUNICATIONSTACK_H

#include "Communication/I2c/i2ccomobjectprovider.h"
#include "Communication/communicationstack.h"
#include "Communication/nodestatecontext.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{
class I2cConfigComObject;
}
} // namespace Communication
namespace Register
{
class RegisterSet;
}
namespace Tracing
{
class Tracer;
}
} // namespace NoxCore

namespace NoxRasPi
{

// The evaluation board's communication stack. One USB device (vendor 0x7A3C) offers a control HID interface
// ("mi_03"), a module HID interface ("mi_04") and a serial port; init() builds this chain on them:
//
//   CONTROL_HID ─┬─ CONTROL_STREAM
//                ├─ MODULE_HID ── MODULE_STREAM ── IcComCore
//                └─ SerialComDriver
//
// and each level is only open while the level below it is: setActive(true) starts the poll of CONTROL_HID,
// and every level that opens (and passes its check) switches on the level above it, inside the same call
// when the board answers. A level that closes switches off everything above it; when the board returns,
// the 500 ms poll of CONTROL_HID brings the chain back up.
//
// Ownership: the stack owns every node it builds and the formatters of the two HID drivers. GUI thread only:
// every check blocks it for up to the HID read time-out while the board does not answer.
class RasPiStreamCommunicationStack : public NoxCore::Communication::CommunicationStack
{
    Q_OBJECT

public:
    static constexpr quint16 VENDOR_ID = 0x7A3C;

    explicit RasPiStreamCommunicationStack(QObject* parent);
    ~RasPiStreamCommunicationStack() override;

    // configObject (not owned) is sent to the module once its stream opens. A tracer (may be null) gets the
    // module stream's telegrams and can replay on that stream.
    void init(quint16 productId, quint8 i2cConfiguration,
              NoxCore::Communication::I2c::I2cConfigComObject* configObject,
              NoxCore::Tracing::Tracer* tracer);
    // The sensor chip counts as present when this register reads this value.
    void setIcCheckRegister(quint8 address, quint8 expectedValue);
    void setActive(bool active);
    // Takes the chain down and deletes it; harmless when not initialised.
    void deinit();
    bool isInitialized() const { return itsIsInitialized; }
    void setRegisterSet(NoxCore::Register::RegisterSet* registerSet);

public slots:
    int onCheckControlStreamState(NoxCore::Communication::NodeStateContext* stateContext);
    int onCheckModuleStreamState(NoxCore::Communication::NodeStateContext* stateContext);
    int onCheckIcState(NoxCore::Communication::NodeStateContext* stateContext);
    int onCheckCdcState(NoxCore::Communication::NodeStateContext* stateContext);
    void onControlHidStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                                  int currentState);
    void onControlStreamStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                                     int currentState);
    void onModuleHidStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                                 int currentState);
    void onModuleStreamStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                                    int currentState);
    void onIcStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                          int currentState);
    void onCdcStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                           int currentState);

private:
    static QString classNameOf(const char* mangledTypeName);
    void setElementActive(const QString& name, bool active);
    void connectStateChanged(const QString& name, const char* slot);
    void disconnectStateChanged(const QString& name, const char* slot);
    void setCheckDelegate(const QString& name, const char* slot);
    void deleteFormatter(const QString& name);
    int checkFirmwareNumber(NoxCore::Communication::NodeStateContext* stateContext);

    bool itsIsInitialized = false;
    quint8 itsI2cConfiguration = 0;
    quint8 itsIcCheckAddress = 0;
    quint8 itsIcCheckValue = 0;
    NoxCore::Communication::I2c::I2cComObjectProvider itsComObjectProvider;
    NoxCore::Communication::I2c::I2cConfigComObject* itsConfigObject = nullptr;
    // Records what the program says to the module; not owned, and it must outlive the stack.
    NoxCore::Tracing::Tracer* itsTracer = nullptr;
    // The element names of the two nodes that are named after their class.
    QString itsIcCoreName;
    QString itsSerialDriverName;
};

} // namespace NoxRasPi

#endif
