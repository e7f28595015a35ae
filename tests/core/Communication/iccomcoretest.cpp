#include "testcomobjects.h"

#include "support/boardchannel.h"
#include "support/scriptedcomdriver.h"
#include "support/simulatedusb.h"

#include "Communication/I2c/i2ccomobjectprovider.h"
#include "Communication/comstream.h"
#include "Communication/iccomcore.h"
#include "Communication/icomobserver.h"
#include "Communication/registerinfostd.h"
#include "Communication/registervalue.h"
#include "simulatedboard.h"

#include <gtest/gtest.h>

#include <functional>

using namespace NoxCore::Communication;
using LidoraSim::I2cBridge;
using LidoraSim::SimulatedBoard;
using NoxCore::Communication::I2c::I2cComObjectProvider;

namespace
{

const unsigned char TRANSFER_PROTOCOL = 0x61;

class RecordingObserver : public IComObserver
{
public:
    explicit RecordingObserver(const QList<IRegisterInfo*>& registers = {}) : itsRegisters(registers) {}

    bool filtersRegisters() override { return !itsRegisters.isEmpty(); }
    QList<IRegisterInfo*> observedRegisters() override { return itsRegisters; }
    void valueChanged(IRegisterInfo* info, IRegisterValue* value) override
    {
        seen << QStringLiteral("%1=%2").arg(info->id()).arg(value->value(), 0, 16);
    }
    void registerSetChanged(NoxCore::Register::RegisterSet*) override {}
    QString observerName() override { return QString(); }

    QStringList seen;

private:
    QList<IRegisterInfo*> itsRegisters;
};

// The request telegrams of one kind, as the stream traced them.
QStringList requestsOf(const RecordingTraceSink& tracer, const QString& command)
{
    QStringList requests;
    for (const QString& telegram : tracer.telegrams)
    {
        if (telegram.contains("TelegramType=\"Request\"") && telegram.contains("<" + command + ">"))
            requests << telegram;
    }
    return requests;
}

// The register core over the sensor chip of a simulated board, as the program reaches it: a com stream on
// the HID com driver, in 65-byte reports through the board's module interface.
class IcComCoreOnBoardTest : public ::testing::Test
{
protected:
    IcComCoreOnBoardTest()
    {
        channel.stream.open();
        channel.stream.setTracer(&tracer);
        provider.setConfiguration(I2cBridge::SENSOR_SLAVE_ADDRESS);
        core.registerObserver(&observer);
    }

    I2cBridge& chip() { return usb.board.i2cBridge(); }

    SimulatedUsb usb;
    BoardChannel channel{"mi_04"};
    RecordingTraceSink tracer;
    I2cComObjectProvider provider;
    IcComCore core{&channel.stream, &provider};
    RecordingObserver observer;
    RegisterInfoStd chipId{I2cBridge::CHIP_ID_REGISTER, 8, 8, 0xFF};
    RegisterInfoStd scratch{0x10, 8, 8, 0xFF};
};

} // namespace

TEST_F(IcComCoreOnBoardTest, ReadsAndVerifiedWritesReachTheChipAndVerificationCatchesBadWrites)
{
    RegisterValue value;
    EXPECT_EQ(core.readRegister(&chipId, &value, true), 0);
    EXPECT_EQ(value.value(), 0x8Eu);

    RegisterValue written(0x5A, 0);
    EXPECT_EQ(core.writeRegister(&scratch, &written), 0);
    EXPECT_EQ(observer.seen, QStringList({"0x90=8e", "0x10=5a"}));

    // The verification read, and only it, is marked in the trace.
    const QStringList reads = requestsOf(tracer, "I2cReadRegister");
    ASSERT_EQ(reads.count(), 2);
    EXPECT_TRUE(reads[0].contains("Trace=\"08000000\""));
    EXPECT_TRUE(reads[1].contains("Trace=\"08010000\""));

    // A write that reads back differently fails, and the observers see what the chip really holds.
    chip().setCorruptWrites(true);
    EXPECT_EQ(core.writeRegister(&scratch, &written), IRegisterCommunication::VERIFICATION_FAILED);
    EXPECT_EQ(observer.seen.last(), "0x10=a5");
}

// Fault: a transfer the target refused (here: no slave acknowledged) was reported as success, because the
// stream itself had no error.
TEST_F(IcComCoreOnBoardTest, TransfersTheTargetRefusesFail)
{
    provider.setConfiguration(I2cBridge::SENSOR_SLAVE_ADDRESS + 1);
    RegisterValue value;
    EXPECT_EQ(core.readRegister(&chipId, &value, true), IRegisterCommunication::READ_FAILED);
    EXPECT_NE(value.state(), 0);
    RegisterValue values[2];
    QList<IRegisterInfo*> infos = {&scratch, &chipId};
    QList<IRegisterValue*> valueList = {&values[0], &values[1]};
    EXPECT_EQ(core.readRegisterList(&infos, &valueList, true, true), IRegisterCommunication::READ_FAILED);
    EXPECT_TRUE(observer.seen.isEmpty());
}

// Each row on a scripted channel of its own, for failures the board does not produce.
TEST_F(IcComCoreOnBoardTest, FailuresGiveTheirCodesAndWriteOnlyRegistersAreNotReadBack)
{
    RegisterInfoStd writeOnly(0x10, 8, 8, 0);
    RegisterValue value(0x5A, 0);
    RegisterValue mask(0x0F, 0);
    QList<IRegisterInfo*> infos = {&scratch};
    QList<IRegisterValue*> values = {&value};
    enum Setup
    {
        AsIs,
        FailReads,
        FailWrites,
        EmptyAnswer,
        NoStream,
        NoProvider
    };
    using Operation = std::function<int(IcComCore&)>;
    const Operation read = [&](IcComCore& core) { return core.readRegister(&scratch, &value, true); };
    const Operation write = [&](IcComCore& core) { return core.writeRegister(&scratch, &value); };
    const Operation modify = [&](IcComCore& core) { return core.modifyRegister(&scratch, &value, &mask); };
    const Operation list = [&](IcComCore& core)
    { return core.readRegisterList(&infos, &values, false, true); };
    const Operation readWriteOnly = [&](IcComCore& core)
    { return core.readRegister(&writeOnly, &value, true); };
    const Operation writeWriteOnly = [&](IcComCore& core) { return core.writeRegister(&writeOnly, &value); };
    const struct
    {
        const char* name;
        Setup setup;
        const Operation& operation;
        int result;
        int framesWritten;
        // Verification reads tell the observers what they read, whatever the result.
        int notifications;
    } cases[] = {
        {"read fails", FailReads, read, -1, 1, 0},
        // Fault: an answer without the value was taken as a read of the stale value.
        {"answer without value", EmptyAnswer, read, -1, 1, 0},
        {"write fails", FailWrites, write, -2, 1, 0},
        {"read-back fails", AsIs, write, -3, 2, 1},
        {"modify fails", FailWrites, modify, -3, 2, 1},
        {"no stream, read", NoStream, read, -1, 0, 0},
        {"no stream, write", NoStream, write, -2, 0, 0},
        {"no provider, list", NoProvider, list, -1, 0, 0},
        {"no provider, modify", NoProvider, modify, -2, 0, 0},
        {"write-only register, read", AsIs, readWriteOnly, -1, 0, 0},
        {"write-only register, write", AsIs, writeWriteOnly, 0, 1, 0},
    };
    for (const auto& item : cases)
    {
        SCOPED_TRACE(item.name);
        ScriptedComDriver channel;
        ComStream channelStream(&channel, ComStream::theImmediateFlushPolicy);
        IcComCore channelCore(item.setup == NoStream ? nullptr : &channelStream,
                              item.setup == NoProvider ? nullptr : &provider);
        RecordingObserver watcher;
        channelCore.registerObserver(&watcher);
        channel.failReads(item.setup == FailReads ? ComDriver::RECEIVE_FAILED : 0);
        channel.failWrites(item.setup == FailWrites ? ComDriver::TRANSMIT_FAILED : 0);
        if (item.setup == EmptyAnswer)
            channel.addAnswer(TRANSFER_PROTOCOL, 0, QByteArray());
        EXPECT_EQ(item.operation(channelCore), item.result);
        EXPECT_EQ(channel.writeCount(), item.framesWritten);
        EXPECT_EQ(watcher.seen.count(), item.notifications);
    }
}

TEST_F(IcComCoreOnBoardTest, ObserversNamingARegisterAndObserversOfAllAreToldOnce)
{
    chip().setRegisterValue(0x10, 0x7F);
    chip().setRegisterValue(0x11, 0x7F);
    RegisterInfoStd other(0x11, 8, 8, 0xFF);
    RecordingObserver named({&scratch});
    // Fault: an observer of every register missed registers that a later observer named.
    core.registerObserver(&named);
    core.registerObserver(&named);
    RegisterValue value;
    EXPECT_EQ(core.readRegister(&scratch, &value, true), 0);
    EXPECT_EQ(core.readRegister(&other, &value, true), 0);
    EXPECT_EQ(observer.seen, QStringList({"0x10=7f", "0x11=7f"}));
    EXPECT_EQ(named.seen, QStringList({"0x10=7f"}));

    // Reading without notification tells nobody, nor does a read after the observers left.
    EXPECT_EQ(core.readRegister(&scratch, &value, false), 0);
    core.unregisterObserver(&observer);
    core.unregisterObserver(&named);
    EXPECT_EQ(core.readRegister(&scratch, &value, true), 0);
    EXPECT_EQ(observer.seen.count(), 2);
    EXPECT_EQ(named.seen.count(), 1);
}
