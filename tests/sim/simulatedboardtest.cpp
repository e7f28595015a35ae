#include "core/Communication/testcomobjects.h"
#include "support/boardchannel.h"
#include "support/manualclock.h"
#include "support/simulatedusb.h"

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

// A simulated board powered on at the test clock's start, with a real com stream open on each channel,
// on the HID com driver as the program uses it.
struct BoardOnStreams
{
    BoardOnStreams()
    {
        control.stream.open();
        module.stream.open();
    }

    ComStream& stream(Channel channel)
    {
        return channel == Channel::Control ? control.stream : module.stream;
    }

    // A command with the given protocol, request bytes (hex) and accepted answer length, once executed: its
    // answer payload is in answer.
    ScriptedComObject ask(Channel channel, unsigned char protocol, const char* requestHex,
                          unsigned int answerLimit,
                          IComObject::CallingType callingType = IComObject::RequestAndResponse)
    {
        const QByteArray request = QByteArray::fromHex(requestHex);
        ScriptedComObject command(protocol, unsigned(request.size()), answerLimit, callingType);
        command.request = request;
        stream(channel).execute(&command);
        return command;
    }

    ManualClock clock;
    SimulatedUsb usb;
    SimulatedBoard& board = usb.board;
    BoardChannel control{"mi_03"};
    BoardChannel module{"mi_04"};
};

// One request of a session with one board; a null answer sends it fire-and-forget.
struct Step
{
    const char* what;
    Channel channel;
    unsigned char protocol;
    const char* requestHex;
    unsigned int answerLimit;
    BoardStatus status;
    const char* answerHex;
};

constexpr Channel CONTROL = Channel::Control;
constexpr Channel MODULE = Channel::Module;
constexpr BoardStatus OK = BoardStatus::Success;

// Run in this order on one board: later steps see what earlier ones left.
const Step SESSION[] = {
    {"firmware number, control", CONTROL, 0x67, "", 3, OK, "010402"},
    {"firmware number, module", MODULE, 0x67, "", 3, OK, "010402"},
    {"operation mode", MODULE, 0x07, "010002", 0, OK, ""},
    {"operation mode out of range", MODULE, 0x07, "010003", 0, BoardStatus::InvalidArgument, ""},
    {"operation mode too short", MODULE, 0x07, "0100", 0, BoardStatus::BadRequestLength, ""},
    {"operation mode sent without waiting is taken", MODULE, 0x07, "010001", 0, OK, nullptr},
    {"operation mode out of range is not", MODULE, 0x07, "010007", 0, BoardStatus::InvalidArgument, ""},
    {"identification", MODULE, 0x08, "", 14, OK, "4c3144070103000c020100040103"},
    {"calibration block 0", MODULE, 0x09, "00", 14, OK, "000c0000402e011900000000007a"},
    {"calibration block 2", MODULE, 0x09, "02", 14, OK, "021985ff0300e8030064000000ed"},
    {"calibration block 3", MODULE, 0x09, "03", 14, OK, "03e02e000096002c010a05000079"},
    {"calibration block 4 does not exist", MODULE, 0x09, "04", 14, BoardStatus::InvalidArgument, ""},
    {"objects with a request byte", MODULE, 0x02, "00", 17, BoardStatus::BadRequestLength, ""},
    {"module command on the control channel", CONTROL, 0x08, "", 14, BoardStatus::UnknownCommand, ""},
    {"unknown command", MODULE, 0x33, "", 8, BoardStatus::UnknownCommand, ""},
    {"chip id through the I2C bridge", MODULE, 0x61, "809081", 1, OK, "8e"},
    {"I2C read of an absent slave", MODULE, 0x61, "529053", 1, BoardStatus::I2cNoAcknowledge, ""},
    {"I2C read phase for another slave", MODULE, 0x61, "809053", 1, BoardStatus::I2cNoAcknowledge, ""},
    {"I2C read with a two-byte address while one is configured", MODULE, 0x61, "80009081", 1,
     BoardStatus::BadRequestLength, ""},
    {"I2C write of two registers", MODULE, 0x61, "80105aa5", 0, OK, nullptr},
    {"I2C read of three consecutive registers", MODULE, 0x61, "801081", 3, OK, "5aa500"},
    // Low nibble of 0x10 from the value, high nibble kept; 0x11 only loses bit 0.
    {"I2C modify", MODULE, 0x6C, "80100f000f01", 0, OK, nullptr},
    {"I2C read after the modify", MODULE, 0x61, "801081", 2, OK, "5fa4"},
    {"I2C write to the identification register", MODULE, 0x61, "809000", 0, OK, nullptr},
    {"I2C write to an absent slave", MODULE, 0x61, "521077", 0, OK, nullptr},
    {"I2C read: the identification kept", MODULE, 0x61, "808f81", 3, OK, "008e00"},
    {"I2C read: no other slave's write arrived", MODULE, 0x61, "801081", 1, OK, "5f"},
    {"I2C configuration to two-byte addresses", MODULE, 0x62, "02020300061a80", 0, OK, nullptr},
    {"I2C read with a two-byte address", MODULE, 0x61, "80009081", 1, OK, "8e"},
    {"I2C configuration to three-byte addresses", MODULE, 0x62, "01030100000000", 0,
     BoardStatus::InvalidArgument, ""},
    {"I2C read: two-byte addresses kept", MODULE, 0x61, "80009081", 1, OK, "8e"},
};

} // namespace

TEST(SimulatedBoard, AnswersEveryCommandByteExactlyAndKeepsOnlyWhatValidRequestsSet)
{
    BoardOnStreams rig;
    for (const Step& step : SESSION)
    {
        SCOPED_TRACE(step.what);
        ScriptedComObject command =
            rig.ask(step.channel, step.protocol, step.requestHex, step.answerLimit,
                    step.answerHex ? IComObject::RequestAndResponse : IComObject::FireAndForget);
        EXPECT_EQ(rig.stream(step.channel).lastError(), ComDriver::SUCCESS);
        if (!step.answerHex)
            continue;
        EXPECT_TRUE(command.valid());
        EXPECT_EQ(command.status(), static_cast<signed char>(step.status));
        EXPECT_EQ(command.answer.toHex(), QByteArray(step.answerHex));
    }
    EXPECT_EQ(rig.board.sensorModule().operationMode(), 1);
    const LidoraSim::I2cBridge::Configuration& configuration = rig.board.i2cBridge().configuration();
    EXPECT_EQ(configuration.module, 2);
    EXPECT_EQ(configuration.clockMode, 3);
    EXPECT_EQ(configuration.customClockSpeed, 400000u);

    rig.board.i2cBridge().setCorruptWrites(true);
    rig.ask(Channel::Module, 0x61, "80002033", 0, IComObject::FireAndForget);
    ScriptedComObject read = rig.ask(Channel::Module, 0x61, "80002081", 1);
    EXPECT_EQ(read.answer.toHex(), "cc") << "every bit of a corrupted write turned";
    EXPECT_EQ(rig.board.i2cBridge().registerValue(0x20), 0xCC) << "as it was stored, not as it was read";
}

// At the level of frames: what each fault does to the answers of one channel and to the sensor's commands.
// What the stream makes of such answers is the stream's to check.
TEST(SimulatedBoard, DropsFramesOfAWrongLengthAndEachFaultSpoilsTheAnswersItNamesOnItsChannelOnly)
{
    // Frames whose length field disagrees with their size are dropped unanswered.
    for (const char* frame : {"6700", "670002000300", "6700000003aa"})
        EXPECT_TRUE(SimulatedBoard().handleFrame(Channel::Control, QByteArray::fromHex(frame)).isEmpty())
            << frame;
    const QByteArray firmware = QByteArray::fromHex("6700000003");
    const QByteArray chipId = QByteArray::fromHex("6100030001809081");
    const struct
    {
        Fault fault;
        // Whether the sensor module carries out and answers its own commands.
        bool sensorActs;
        const char* firmwareAnswer;
        const char* chipIdAnswer;
    } cases[] = {
        {Fault::Silent, false, "", ""},
        {Fault::WrongProtocolId, true, "6800000003010402", "62000000018e"},
        {Fault::OversizedLength, true, "670000000401040200", "61000000028e00"},
        // A hung sensor on a board that is alive: the controller and the I2C bridge answer as ever.
        {Fault::SilentSensor, false, "6700000003010402", "61000000018e"},
    };
    for (const auto& row : cases)
    {
        SCOPED_TRACE(int(row.fault));
        SimulatedBoard board;
        board.setFault(Channel::Module, row.fault);
        board.handleFrame(Channel::Module, QByteArray::fromHex("8700030000010001"));
        EXPECT_EQ(board.sensorModule().operationMode(), row.sensorActs ? 1 : 0);
        EXPECT_EQ(board.handleFrame(Channel::Module, QByteArray::fromHex("080000000e")).isEmpty(),
                  !row.sensorActs);
        EXPECT_EQ(board.handleFrame(Channel::Module, firmware).toHex(), row.firmwareAnswer);
        EXPECT_EQ(board.handleFrame(Channel::Module, chipId).toHex(), row.chipIdAnswer);
        EXPECT_EQ(board.handleFrame(Channel::Control, firmware).toHex(), "6700000003010402");
        board.setFault(Fault::None);
        EXPECT_EQ(board.handleFrame(Channel::Module, firmware).toHex(), "6700000003010402");
    }
}

TEST(SimulatedBoard, HidFaultsFailTheExchangeButLeaveTheChannelOpen)
{
    BoardOnStreams rig;
    for (const auto fault :
         {SimulatedHidBackend::HidFault::NoAnswer, SimulatedHidBackend::HidFault::OversizedCount})
    {
        SCOPED_TRACE(int(fault));
        rig.usb.backend.setHidFault(fault);
        ScriptedComObject lost = rig.ask(Channel::Module, 0x02, "", 17);
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
        rig.ask(Channel::Module, 0x02, "", 17);
    EXPECT_EQ(rig.usb.backend.receivedFrames(Channel::Module).size(),
              SimulatedHidBackend::MAX_RECEIVED_FRAMES);
}
