#include "raspistreamcommunicationstack.h"

#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/communicationstackelement.h"
#include "Communication/icommunicationnode.h"
#include "Communication/nodestatemanager.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"
#include "support/assertionpattern.h"
#include "support/qtprinters.h"
#include "support/simulatedusb.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace NoxCore::Communication;
using LidoraSim::SimulatedBoard;
using NoxRasPi::RasPiStreamCommunicationStack;

namespace
{

// Each level opens over the one before it; the serial port hangs on the control interface.
const QStringList LEVELS = {"CONTROL_HID", "CONTROL_STREAM", "MODULE_HID", "MODULE_STREAM", "IcComCore"};

// The board's stack as the demo sets it up, on whatever board the test puts on the USB.
class BoardStack : public ::testing::Test
{
protected:
    BoardStack() : config(2, 2, 0, 0x08000000), stack(nullptr) {}
    ~BoardStack() override
    {
        stack.deinit();
        qDeleteAll(spies);
    }

    void activate(NoxCore::Tracing::Tracer* tracer = nullptr)
    {
        stack.init(0x0C08, 0x40, &config, tracer);
        stack.setIcCheckRegister(0x90, 0x8E);
        for (const QString& name : stack.elementNames())
            spies.insert(name, new QSignalSpy(stack.findElement(name)->stateManager(),
                                              &NodeStateManager::stateChanged));
        stack.setActive(true);
    }

    bool isOpen(const QString& name) { return stack.findElement(name)->node()->isOpen(); }
    // The transitions an element reported, as "previous>current".
    QStringList transitions(const QString& name)
    {
        QStringList result;
        for (const QList<QVariant>& change : *spies.value(name))
            result << QStringLiteral("%1>%2").arg(change.at(1).toInt()).arg(change.at(2).toInt());
        return result;
    }
    bool isActive(const QString& name) { return stack.findElement(name)->stateManager()->isActive(); }
    // Right after activation the first openLevels levels have opened; every other element reported itself
    // closed, and only the next level and the serial port (over an open control interface) are checked on.
    void expectOpenUpTo(int openLevels)
    {
        for (int level = 0; level < LEVELS.size(); ++level)
        {
            const QString& name = LEVELS[level];
            EXPECT_EQ(transitions(name), QStringList{level < openLevels ? "0>2" : "0>4"}) << qPrintable(name);
            EXPECT_EQ(isActive(name), level <= openLevels) << qPrintable(name);
        }
        EXPECT_EQ(transitions("SerialComDriver"), QStringList{"0>4"});
        EXPECT_EQ(isActive("SerialComDriver"), openLevels > 0);
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
    RasPiStreamCommunicationStack stack;
    QMap<QString, QSignalSpy*> spies;
};

} // namespace

TEST_F(BoardStack, InitBuildsTheChainClosedAndDeinitTakesAllOfItDown)
{
    stack.deinit(); // never initialised: nothing happens
    for (int round = 0; round < 2; ++round)
    {
        // Built again after a deinit: the whole chain anew. (Comparing node addresses would prove nothing:
        // the allocator may well hand the freed address to the new node.)
        stack.init(0x0C08, 0x40, &config, nullptr);
        EXPECT_EQ(stack.rootElement()->name(), "CONTROL_HID");
        std::set<QString> tops;
        for (CommunicationStackElement* element : stack.topElements())
            tops.insert(element->name());
        EXPECT_EQ(tops, (std::set<QString>{"CONTROL_STREAM", "IcComCore", "SerialComDriver"}));
        EXPECT_EQ(stack.findElement("MODULE_STREAM")->next()->name(), "MODULE_HID");
        EXPECT_EQ(stack.findElement("SerialComDriver")->next()->name(), "CONTROL_HID");
        EXPECT_EQ(stack.elementNames().size(), 6);
        for (const QString& name : stack.elementNames())
            EXPECT_FALSE(isOpen(name)) << qPrintable(name);
        stack.deinit();
        EXPECT_TRUE(stack.elementNames().isEmpty());
    }
}

TEST_F(BoardStack, OneActivationBringsEveryLevelUpChecksTheChipOnceAndTracesTheModuleStream)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("module.trace");
    NoxCore::Tracing::Tracer tracer;
    ASSERT_TRUE(tracer.recorder()->open(path));
    activate(&tracer);
    // Nothing here offers the board's serial port: that element alone stays closed.
    expectOpenUpTo(LEVELS.size());
    EXPECT_EQ(chipIdReads(), 1);

    stack.setActive(false);
    for (const QString& name : stack.elementNames())
        EXPECT_FALSE(isOpen(name)) << qPrintable(name);

    // The firmware number check of the module stream, the I2C configuration and the chip check.
    stack.deinit();
    tracer.recorder()->close();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString trace = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(trace.contains("<LogData"));
    for (const char* command : {"FirmwareNumber", "I2cConfig", "I2cReadRegister"})
        EXPECT_TRUE(trace.contains(QStringLiteral("<%1").arg(command))) << command;
}

TEST_F(BoardStack, WithoutABoardOnlyTheControlInterfaceReportsClosed)
{
    usb.backend.unplug();
    activate();
    expectOpenUpTo(0);
}

TEST_F(BoardStack, AChipWithAnotherIdentificationKeepsTheRegisterLevelClosedAndRetried)
{
    usb.board.i2cBridge().setRegisterValue(0x90, 0x12);
    activate();
    expectOpenUpTo(LEVELS.size() - 1);
    const int reads = chipIdReads();
    EXPECT_TRUE(QTest::qWaitFor([&] { return chipIdReads() >= reads + 2; }, 1500)) << "retried every 500 ms";
    EXPECT_FALSE(isOpen("IcComCore"));
}

TEST_F(BoardStack, UnplugClosesEveryLevelAndReplugBringsTheChainBack)
{
    activate();
    ASSERT_TRUE(isOpen("IcComCore"));
    // The next check of the control stream notices (its exchange fails and the driver closes); the control
    // interface's own manager sees that on its next tick.
    const auto expectEveryLevel = [this](bool open, const QString& transition)
    {
        for (QSignalSpy* spy : spies)
            spy->clear();
        const auto everyLevelPassed = [&]
        {
            return std::all_of(LEVELS.cbegin(), LEVELS.cend(),
                               [&](const QString& name) { return transitions(name).contains(transition); });
        };
        EXPECT_TRUE(QTest::qWaitFor(everyLevelPassed, 3000)) << qPrintable(transition);
        for (const QString& name : LEVELS)
            EXPECT_EQ(isOpen(name), open) << qPrintable(name);
    };
    usb.backend.unplug();
    expectEveryLevel(false, "2>4");
    usb.backend.replug();
    expectEveryLevel(true, "4>2");
}

TEST(BoardStackDeathTest, PreconditionsStopWithTheirMessages)
{
    I2c::I2cConfigComObject config(2, 2, 0, 0x08000000);
    const auto stop = [](const std::string& expression, const std::string& message)
    { return assertionPattern("raspistreamcommunicationstack", expression, message); };
    EXPECT_DEATH(RasPiStreamCommunicationStack(nullptr).setActive(true),
                 stop("itsIsInitialized", "CommunicationStack is not initialized."));
    EXPECT_DEATH(
        {
            SimulatedUsb usb(false);
            RasPiStreamCommunicationStack stack(nullptr);
            stack.init(0x0C08, 0x40, &config, nullptr);
            stack.init(0x0C08, 0x40, &config, nullptr);
        },
        stop("!itsIsInitialized", "CommunicationStack is already initialized."));
}
