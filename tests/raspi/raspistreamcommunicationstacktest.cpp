#include "raspistreamcommunicationstack.h"

#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/communicationstackelement.h"
#include "Communication/icommunicationnode.h"
#include "Communication/nodestate.h"
#include "Communication/nodestatemanager.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"
#include "support/assertionpattern.h"
#include "support/manualclock.h"
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

const QStringList LEVELS = {"CONTROL_HID", "CONTROL_STREAM", "MODULE_HID", "MODULE_STREAM", "IcComCore"};

// The board's stack as the demo sets it up, on whatever board the test puts on the USB.
class BoardStack : public ::testing::Test
{
protected:
    BoardStack() : config(2, 2, 0, 0x08000000), stack(nullptr) {}

    void init(NoxCore::Tracing::Tracer* tracer = nullptr)
    {
        stack.init(0x0C08, 0x40, &config, tracer);
        stack.setIcCheckRegister(0x90, 0x8E);
        for (const QString& name : stack.elementNames())
        {
            auto* spy =
                new QSignalSpy(stack.findElement(name)->stateManager(), &NodeStateManager::stateChanged);
            spies.insert(name, spy);
        }
    }
    ~BoardStack() override
    {
        stack.deinit();
        qDeleteAll(spies);
    }

    bool isOpen(const QString& name) { return stack.findElement(name)->node()->isOpen(); }
    int state(const QString& name) { return stack.findElement(name)->stateManager()->lastState(); }
    // The transitions an element reported, as "previous>current".
    QStringList transitions(const QString& name)
    {
        QStringList result;
        for (const QList<QVariant>& change : *spies.value(name))
            result << QStringLiteral("%1>%2").arg(change.at(1).toInt()).arg(change.at(2).toInt());
        return result;
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

TEST_F(BoardStack, InitBuildsTheChainClosed)
{
    stack.deinit(); // never initialised: nothing happens
    init();
    EXPECT_EQ(stack.rootElement()->name(), "CONTROL_HID");
    std::set<QString> tops;
    for (CommunicationStackElement* element : stack.topElements())
        tops.insert(element->name());
    EXPECT_EQ(tops, (std::set<QString>{"CONTROL_STREAM", "IcComCore", "SerialComDriver"}));
    EXPECT_EQ(stack.findElement("MODULE_STREAM")->next()->name(), "MODULE_HID");
    EXPECT_EQ(stack.findElement("SerialComDriver")->next()->name(), "CONTROL_HID");
    for (const QString& name : stack.elementNames())
        EXPECT_FALSE(isOpen(name)) << qPrintable(name);

    // Taken down and built again: the whole chain anew. (Comparing node addresses would prove nothing: the
    // allocator may well hand the freed address to the new node.)
    stack.deinit();
    EXPECT_TRUE(stack.elementNames().isEmpty());
    stack.init(0x0C08, 0x40, &config, nullptr);
    EXPECT_EQ(stack.elementNames().size(), 6);
    EXPECT_EQ(stack.findElement("MODULE_STREAM")->next()->name(), "MODULE_HID");
}

TEST_F(BoardStack, OneActivationBringsEveryLevelUpConfiguresTheBridgeAndTracesTheModuleStream)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("module.trace");
    NoxCore::Tracing::Tracer tracer;
    ASSERT_TRUE(tracer.recorder()->open(path));
    init(&tracer);
    stack.setActive(true);
    for (const QString& name : LEVELS)
    {
        EXPECT_TRUE(isOpen(name)) << qPrintable(name);
        EXPECT_EQ(transitions(name), QStringList{"0>2"}) << qPrintable(name);
    }
    // Nothing here offers the board's serial port: that element alone stays closed.
    EXPECT_EQ(state("SerialComDriver"), NodeState::Closed);

    const QList<QByteArray> frames = usb.backend.receivedFrames(SimulatedBoard::Channel::Module);
    ASSERT_GE(frames.size(), 3);
    EXPECT_EQ(frames[0].left(1), QByteArray::fromHex("67")) << "firmware number check of the module stream";
    EXPECT_EQ(quint8(frames[1][0]), 0x62 | 0x80) << "I2C configuration, fire-and-forget";
    EXPECT_EQ(chipIdReads(), 1) << "the register check";

    stack.setActive(false);
    for (const QString& name : stack.elementNames())
        EXPECT_FALSE(isOpen(name)) << qPrintable(name);

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
    init();
    stack.setActive(true);
    EXPECT_EQ(transitions("CONTROL_HID"), QStringList{"0>4"});
    for (const QString& name : LEVELS.mid(1) + QStringList{"SerialComDriver"})
    {
        EXPECT_FALSE(stack.findElement(name)->stateManager()->isActive()) << qPrintable(name);
        EXPECT_FALSE(transitions(name).join(' ').contains(">2")) << qPrintable(name) << " never opened";
    }
}

TEST_F(BoardStack, AChipWithAnotherIdentificationKeepsTheRegisterLevelClosedAndRetried)
{
    usb.board.i2cBridge().setRegisterValue(0x90, 0x12);
    init();
    stack.setActive(true);
    for (const QString& name : LEVELS.mid(0, 4))
        EXPECT_EQ(state(name), NodeState::Open) << qPrintable(name);
    EXPECT_EQ(state("IcComCore"), NodeState::Closed);
    const int reads = chipIdReads();
    EXPECT_TRUE(QTest::qWaitFor([&] { return chipIdReads() >= reads + 2; }, 1500)) << "retried every 500 ms";
    EXPECT_EQ(state("IcComCore"), NodeState::Closed);
}

TEST_F(BoardStack, UnplugClosesEveryLevelAndReplugBringsTheChainBack)
{
    init();
    stack.setActive(true);
    ASSERT_EQ(state("IcComCore"), NodeState::Open);
    for (QSignalSpy* spy : spies)
        spy->clear();

    // The next check of the control stream notices (its exchange fails and the driver closes); the control
    // interface's own manager sees that on its next tick.
    const auto expectEveryLevel = [this](bool open, const QString& transition)
    {
        const auto everyLevelPassed = [&]
        {
            return std::all_of(LEVELS.cbegin(), LEVELS.cend(),
                               [&](const QString& name) { return transitions(name).contains(transition); });
        };
        EXPECT_TRUE(QTest::qWaitFor(everyLevelPassed, 3000)) << qPrintable(transition);
        for (const QString& name : LEVELS)
            EXPECT_EQ(isOpen(name), open) << qPrintable(name);
        for (QSignalSpy* spy : spies)
            spy->clear();
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
    EXPECT_DEATH(
        {
            RasPiStreamCommunicationStack stack(nullptr);
            stack.setActive(true);
        },
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
