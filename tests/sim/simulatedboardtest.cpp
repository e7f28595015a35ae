#include "boardfixture.h"

#include <gtest/gtest.h>

using LidoraSim::BoardStatus;
using LidoraSim::SimulatedBoard;
using LidoraSim::SimulatedHidBackend;
using NoxCore::Communication::ComDriver;
using NoxCore::Communication::ComStream;
using NoxCore::Communication::IComObject;
using Channel = SimulatedBoard::Channel;
using Fault = SimulatedBoard::Fault;

namespace
{

struct AnswerCase
{
    const char* what;
    Channel channel;
    unsigned char protocol;
    const char* requestHex;
    unsigned int answerLimit;
    BoardStatus status;
    const char* answerHex;
};

const AnswerCase ANSWER_CASES[] = {
    {"firmware number, control", Channel::Control, 0x67, "", 3, BoardStatus::Success, "010402"},
    {"firmware number, module", Channel::Module, 0x67, "", 3, BoardStatus::Success, "010402"},
    {"operation mode", Channel::Module, 0x07, "010002", 0, BoardStatus::Success, ""},
    {"operation mode out of range", Channel::Module, 0x07, "010003", 0, BoardStatus::InvalidArgument, ""},
    {"operation mode too short", Channel::Module, 0x07, "0100", 0, BoardStatus::BadRequestLength, ""},
    {"identification", Channel::Module, 0x08, "", 14, BoardStatus::Success, "4c3144070103000c020100040103"},
    {"calibration block 0", Channel::Module, 0x09, "00", 14, BoardStatus::Success,
     "000c0000402e011900000000007a"},
    {"calibration block 2", Channel::Module, 0x09, "02", 14, BoardStatus::Success,
     "021985ff0300e8030064000000ed"},
    {"calibration block 3", Channel::Module, 0x09, "03", 14, BoardStatus::Success,
     "03e02e000096002c010a05000079"},
    {"calibration block 4 does not exist", Channel::Module, 0x09, "04", 14, BoardStatus::InvalidArgument, ""},
    {"chip id through the I2C bridge", Channel::Module, 0x61, "809081", 1, BoardStatus::Success, "8e"},
    {"I2C read of an absent slave", Channel::Module, 0x61, "529053", 1, BoardStatus::I2cNoAcknowledge, ""},
    {"I2C read phase for another slave", Channel::Module, 0x61, "809053", 1, BoardStatus::I2cNoAcknowledge,
     ""},
    {"I2C read with a two-byte address while one is configured", Channel::Module, 0x61, "80009081", 1,
     BoardStatus::BadRequestLength, ""},
    {"objects with a request byte", Channel::Module, 0x02, "00", 17, BoardStatus::BadRequestLength, ""},
    {"module command on the control channel", Channel::Control, 0x08, "", 14, BoardStatus::UnknownCommand,
     ""},
    {"unknown command", Channel::Module, 0x33, "", 8, BoardStatus::UnknownCommand, ""},
};

} // namespace

TEST(SimulatedBoard, AnswersEveryCommandByteExactly)
{
    for (const AnswerCase& row : ANSWER_CASES)
    {
        SCOPED_TRACE(row.what);
        BoardOnStreams rig;
        ScriptedComObject command = commandOf(row.protocol, row.requestHex, row.answerLimit);
        rig.exchange(row.channel, command);
        EXPECT_EQ(rig.stream(row.channel).lastError(), ComDriver::SUCCESS);
        EXPECT_TRUE(command.valid());
        EXPECT_EQ(command.status(), static_cast<signed char>(row.status));
        EXPECT_EQ(command.answer.toHex(), QByteArray(row.answerHex));
    }
}

TEST(SimulatedBoard, KeepsTheOperationModeOnlyWhenValidAndCarriesNothingOutWhenSilent)
{
    BoardOnStreams rig;
    EXPECT_EQ(rig.board.sensorModule().operationMode(), 0);
    // Sent without waiting for an answer, the mode is still taken.
    ScriptedComObject proximity = commandOf(0x07, "010001", 0, IComObject::FireAndForget);
    rig.exchange(Channel::Module, proximity);
    EXPECT_EQ(rig.board.sensorModule().operationMode(), 1);
    ScriptedComObject outOfRange = commandOf(0x07, "010007", 0);
    rig.exchange(Channel::Module, outOfRange);
    EXPECT_EQ(rig.board.sensorModule().operationMode(), 1);
    EXPECT_EQ(rig.module.driver.lastError(), ComDriver::SUCCESS);

    rig.board.setFault(Fault::Silent);
    EXPECT_EQ(rig.board.fault(Channel::Control), Fault::Silent);
    ScriptedComObject both = commandOf(0x07, "010002", 0, IComObject::FireAndForget);
    rig.exchange(Channel::Module, both);
    EXPECT_EQ(rig.board.sensorModule().operationMode(), 1);
}

TEST(SimulatedBoard, ObjectsAnswerCarriesOneObjectInLittleEndian)
{
    BoardOnStreams rig;
    ScriptedComObject objects = commandOf(0x02, "", 17);
    rig.exchange(Channel::Module, objects);
    ASSERT_EQ(objects.answer.size(), 17);
    EXPECT_EQ(objects.status(), 0);
    // count, first byte, three distances, confidence, reference and object photon counts.
    const auto field = [&objects](int index, int width) { return answerField(objects.answer, index, width); };
    // At power-on the object approaches from the far end of the far zone.
    EXPECT_EQ(field(0, 1), 1u);
    EXPECT_EQ(field(1, 1), 0u);
    EXPECT_GE(field(2, 2), 2197u);
    EXPECT_LE(field(2, 2), 2453u);
    EXPECT_EQ(field(4, 2), field(2, 2));
    EXPECT_EQ(field(6, 2), field(2, 2));
    EXPECT_GE(field(8, 1), 1u);
    EXPECT_LE(field(8, 1), 63u);
    EXPECT_NEAR(double(field(9, 4)), 12000.0, 150.0);
    // The echo of an object about 2.3 m away: a thousand photons or so.
    EXPECT_NEAR(double(field(13, 4)), 950.0, 150.0);
}

TEST(SimulatedBoard, I2cBridgeWritesModifiesAndReadsConsecutiveRegisters)
{
    BoardOnStreams rig;
    const auto send = [&rig](unsigned char protocol, const char* requestHex)
    {
        ScriptedComObject command = commandOf(protocol, requestHex, 0, IComObject::FireAndForget);
        rig.exchange(Channel::Module, command);
    };
    const auto read = [&rig](const char* requestHex, unsigned int length)
    {
        ScriptedComObject command = commandOf(0x61, requestHex, length);
        rig.exchange(Channel::Module, command);
        return command.answer.toHex();
    };

    send(0x61, "80105aa5");
    EXPECT_EQ(read("801081", 3), "5aa500");
    // Modify: low nibble of 0x10 from the value, high nibble kept; 0x11 only loses bit 0.
    send(0x6C, "80100f000f01");
    EXPECT_EQ(read("801081", 2), "5fa4");
    // The identification register ignores writes; a write to an absent slave changes nothing.
    send(0x61, "809000");
    send(0x61, "521077");
    EXPECT_EQ(read("808f81", 3), "008e00");
    EXPECT_EQ(read("801081", 1), "5f");

    rig.board.i2cBridge().setCorruptWrites(true);
    send(0x61, "802033");
    EXPECT_EQ(read("802081", 1), "cc");
    EXPECT_EQ(rig.board.i2cBridge().registerValue(0x20), 0xCC);
    EXPECT_EQ(rig.module.stream.lastError(), ComDriver::SUCCESS);
}

TEST(SimulatedBoard, I2cConfigurationSetsTheAddressWidth)
{
    BoardOnStreams rig;
    ScriptedComObject twoByteAddresses = commandOf(0x62, "02020300061a80", 0, IComObject::FireAndForget);
    rig.exchange(Channel::Module, twoByteAddresses);
    const LidoraSim::I2cBridge::Configuration& configuration = rig.board.i2cBridge().configuration();
    EXPECT_EQ(configuration.module, 2);
    EXPECT_EQ(configuration.addressSize, 2);
    EXPECT_EQ(configuration.clockMode, 3);
    EXPECT_EQ(configuration.customClockSpeed, 400000u);

    ScriptedComObject wideRead = commandOf(0x61, "80009081", 1);
    rig.exchange(Channel::Module, wideRead);
    EXPECT_EQ(wideRead.answer.toHex(), "8e");

    // An address width the bus cannot use is refused and the configuration stays.
    ScriptedComObject threeByteAddresses = commandOf(0x62, "01030100000000", 0);
    rig.exchange(Channel::Module, threeByteAddresses);
    EXPECT_EQ(threeByteAddresses.status(), static_cast<signed char>(BoardStatus::InvalidArgument));
    EXPECT_EQ(rig.board.i2cBridge().configuration().addressSize, 2);
}

TEST(SimulatedBoard, EachFaultSpoilsTheAnswerItNamesOnItsChannelOnly)
{
    struct FaultCase
    {
        Fault fault;
        signed char status;
        int lastError;
    };
    const FaultCase cases[] = {
        {Fault::Silent, ComStream::STATUS_ANSWER_NOT_READ, ComDriver::RECEIVE_FAILED},
        {Fault::WrongProtocolId, ComStream::STATUS_PROTOCOL_MISMATCH, ComDriver::DATA_MISMATCH},
        {Fault::OversizedLength, ComStream::STATUS_ANSWER_NOT_READ, ComDriver::CHANNEL_NOT_OPEN},
    };
    for (const FaultCase& row : cases)
    {
        SCOPED_TRACE(int(row.fault));
        BoardOnStreams rig;
        rig.board.setFault(Channel::Module, row.fault);

        ScriptedComObject spoiled = commandOf(0x67, "", 3);
        rig.exchange(Channel::Module, spoiled);
        EXPECT_EQ(spoiled.status(), row.status);
        EXPECT_EQ(spoiled.deserializeCalls, 0);
        EXPECT_EQ(rig.module.stream.lastError(), row.lastError);

        ScriptedComObject control = commandOf(0x67, "", 3);
        rig.exchange(Channel::Control, control);
        EXPECT_EQ(control.answer.toHex(), "010402");
        EXPECT_EQ(rig.control.stream.lastError(), ComDriver::SUCCESS);

        // Once the fault is switched off and the error read, the channel answers again from a clean start.
        rig.board.setFault(Fault::None);
        ScriptedComObject recovered = commandOf(0x67, "", 3);
        rig.exchange(Channel::Module, recovered);
        EXPECT_EQ(recovered.answer.toHex(), "010402");
        EXPECT_EQ(rig.module.stream.lastError(), ComDriver::SUCCESS);
    }
}

TEST(SimulatedBoard, DropsFramesWhoseLengthFieldDisagrees)
{
    SimulatedBoard board;
    EXPECT_TRUE(board.handleFrame(Channel::Control, QByteArray::fromHex("6700")).isEmpty());
    EXPECT_TRUE(board.handleFrame(Channel::Control, QByteArray::fromHex("670002000300")).isEmpty());
    EXPECT_TRUE(board.handleFrame(Channel::Control, QByteArray::fromHex("6700000003aa")).isEmpty());
    EXPECT_EQ(board.handleFrame(Channel::Control, QByteArray::fromHex("6700000003")).toHex(),
              "6700000003010402");
}

TEST(SimulatedBoard, HidFaultsFailTheExchangeOrAreSkipped)
{
    BoardOnStreams rig;
    rig.usb.backend.setHidFault(SimulatedHidBackend::HidFault::StaleSequence);
    ScriptedComObject afterStale = commandOf(0x02, "", 17);
    rig.exchange(Channel::Module, afterStale);
    EXPECT_EQ(afterStale.answer.size(), 17) << "stale answers are skipped";
    EXPECT_EQ(rig.module.stream.lastError(), ComDriver::SUCCESS);

    for (const auto fault :
         {SimulatedHidBackend::HidFault::NoAnswer, SimulatedHidBackend::HidFault::OversizedCount})
    {
        SCOPED_TRACE(int(fault));
        rig.usb.backend.setHidFault(fault);
        ScriptedComObject lost = commandOf(0x02, "", 17);
        rig.exchange(Channel::Module, lost);
        EXPECT_FALSE(lost.valid());
        EXPECT_EQ(rig.module.stream.lastError(), ComDriver::RECEIVE_FAILED);
        EXPECT_TRUE(rig.module.stream.isOpen()) << "a lost answer is not an unplug";
    }
}

// Found by the soak: the board kept every frame it received, so a long --simulate run grew without end.
TEST(SimulatedBoard, KeepsOnlyTheNewestReceivedFrames)
{
    BoardOnStreams rig;
    for (int i = 0; i < SimulatedHidBackend::MAX_RECEIVED_FRAMES + 10; ++i)
    {
        ScriptedComObject objects = commandOf(0x02, "", 17);
        rig.exchange(Channel::Module, objects);
    }
    EXPECT_EQ(rig.usb.backend.receivedFrames(Channel::Module).size(),
              SimulatedHidBackend::MAX_RECEIVED_FRAMES);
}
