#ifndef LIDORA_CONTROLLOGIC_H
#define LIDORA_CONTROLLOGIC_H

#include "raspistreamcommunicationstack.h"

#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/nodestatecontext.h"
#include "Tools/delegate.h"

#include <QObject>

namespace NoxCore
{
namespace Communication
{
class ComStream;
}
} // namespace NoxCore

// Decides when the demo talks to the board: owns the board's communication stack, switches it on and off,
// and turns the state changes of the module stream and the register core into application events. Knows
// no menu: the window's ProgramIntents serve "intExit" and "intOpenAboutDialog".
class ControlLogic : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 PRODUCT_ID = 0x0C08;
    static constexpr quint8 I2C_CONFIGURATION = 0x40;
    // The sensor chip answers with this identification at this register.
    static constexpr quint8 IC_CHECK_REGISTER = 0x90;
    static constexpr quint8 IC_CHECK_VALUE = 0x8E;

    ControlLogic();
    ~ControlLogic() override;

    // Builds the stack's nodes; tracer may be null.
    void initialize(NoxCore::Tracing::Tracer* tracer = nullptr);
    // Opens the nodes, synchronously while the board answers.
    void activate();
    void shutdown();

    NoxRasPi::RasPiStreamCommunicationStack& stack() { return itsStack; }
    // The com stream of the node "MODULE_STREAM"; null when the stack has none. Exists whether or not a
    // board answers: it is usable once it opens.
    NoxCore::Communication::ComStream* moduleStream() const;
    // Called when the register communication comes up or goes down.
    NoxCore::Tools::Delegate& communicationInitialized() { return itsCommunicationInitialized; }
    NoxCore::Tools::Delegate& communicationDeinitialized() { return itsCommunicationDeinitialized; }

signals:
    void tofModuleActivated();

public slots:
    void onIcStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                          int currentState);
    void onModuleStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                              int currentState);

private:
    NoxCore::Communication::NodeStateManager* icStateManager() const;
    NoxCore::Communication::NodeStateManager* moduleStreamStateManager() const;

    NoxCore::Tools::Delegate itsCommunicationInitialized;
    NoxCore::Tools::Delegate itsCommunicationDeinitialized;
    NoxCore::Communication::I2c::I2cConfigComObject itsI2cConfig;
    NoxRasPi::RasPiStreamCommunicationStack itsStack;
};

#endif
