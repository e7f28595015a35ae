#include "raspistreamcommunicationstack.h"

#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/communicationstackelement.h"
#include "Communication/icommunicationnode.h"
#include "Communication/nodestate.h"
#include "Communication/nodestatemanager.h"
#include "Tracing/tracer.h"
#include "support/qtprinters.h"
#include "support/simulatedusb.h"

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace NoxCore::Communication;
using LidoraSim::SimulatedBoard;
using NoxRasPi::RasPiStreamCommunicationStack;

namespace
{

// Each level opens over the one before it; the serial port hangs on the control interface.
const QStringList LEVELS = {"CONTROL_HID", "CONTROL_STREAM", "MODULE_HID", "MODULE_STREAM", "IcComCore"};

// Keeps the module stream's telegrams as the stream hands them over.
struct TelegramLog : NoxCore::Tracing::Tracer
{
    bool trace(QString telegram) override
    {
        telegrams << telegram;
        return true;
    }
    QStringList telegrams;
};

// The board's stack as the demo sets it up, on whatever board the test puts on the USB.
class BoardStack : public ::testing::Test
{
protected:
    BoardStack() : config(2, 2, 0, 0x08000000), stack(nullptr) {}
    ~BoardStack() override { stack.deinit(); }

    void activate()
    {
        stack.init(0x0C08, 0x40, &config, &log);
        stack.setIcCheckRegister(0x90, 0x8E);
        stack.setActive(true);
    }

    NodeStateManager* manager(const QString& name) { return stack.findElement(name)->stateManager(); }
    bool everyLevelIs(int state)
    {
        return std::all_of(LEVELS.cbegin(), LEVELS.cend(),
                           [&](const QString& name) { return manager(name)->lastState() == state; });
    }
    // Right after activation the first openLevels levels are open and every other element reported itself
    // closed; only the next level and the serial port (over an open control interface) are checked on.
    void expectOpenUpTo(int openLevels)
    {
        for (int level = 0; level < LEVELS.size(); ++level)
        {
            const QString& name = LEVELS[level];
            EXPECT_EQ(manager(name)->lastState(), level < openLevels ? NodeState::Open : NodeState::Closed)
                << qPrintable(name);
            EXPECT_EQ(manager(name)->isActive(), level <= openLevels) << qPrintable(name);
        }
        EXPECT_EQ(manager("SerialComDriver")->lastState(), NodeState::Closed);
        EXPECT_EQ(manager("SerialComDriver")->isActive(), openLevels > 0);
    }
    int chipIdReads()
    {
        int reads = 0;
        for (const QByteArray& frame : usb.backend.receivedFrames(SimulatedBoard::Channel::Module))
            reads += frame.size() == 8 && quint8(frame[0]) == 0x61 && quint8(frame[6]) == 0x90;
        return reads;
    }

    SimulatedUsb usb;
    I2c::I2cConfigComObject config;
    TelegramLog log;
    RasPiStreamCommunicationStack stack;
};

} // namespace

TEST_F(BoardStack, OneActivationBringsEveryLevelUpChecksTheChipOnceTracesTheModuleStreamAndSurvivesAReplug)
{
    activate();
    // Nothing here offers the board's serial port: that element alone stays closed.
    expectOpenUpTo(LEVELS.size());
    EXPECT_EQ(chipIdReads(), 1);
    // The firmware number check of the module stream, the I2C configuration and the chip check.
    for (const char* command : {"FirmwareNumber", "I2cConfig", "I2cReadRegister"})
        EXPECT_TRUE(log.telegrams.join('\n').contains(QStringLiteral("<%1").arg(command))) << command;

    // An unplug closes every level: the next check of the control stream notices (its exchange fails and
    // the driver closes), and the control interface's own manager sees that on its next tick. A replug
    // brings the chain back.
    // The limits leave room for a loaded machine, where a Wine process may wait seconds for its turn.
    usb.backend.unplug();
    EXPECT_TRUE(QTest::qWaitFor([&] { return everyLevelIs(NodeState::Closed); }, 10000));
    usb.backend.replug();
    EXPECT_TRUE(QTest::qWaitFor([&] { return everyLevelIs(NodeState::Open); }, 10000));

    stack.setActive(false);
    for (const QString& name : stack.elementNames())
        EXPECT_FALSE(stack.findElement(name)->node()->isOpen()) << qPrintable(name);
}

TEST_F(BoardStack, AChipWithAnotherIdentificationKeepsTheRegisterLevelClosedAndRetried)
{
    usb.board.i2cBridge().setRegisterValue(0x90, 0x12);
    activate();
    expectOpenUpTo(LEVELS.size() - 1);
    const int reads = chipIdReads();
    EXPECT_TRUE(QTest::qWaitFor([&] { return chipIdReads() >= reads + 2; }, 5000)) << "retried";
}
