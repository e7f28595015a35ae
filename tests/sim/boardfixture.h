#ifndef LIDORA_TESTS_SIM_BOARDFIXTURE_H
#define LIDORA_TESTS_SIM_BOARDFIXTURE_H

#include "core/Communication/testcomobjects.h"
#include "support/boardchannel.h"
#include "support/manualclock.h"
#include "support/simulatedusb.h"

// A simulated board powered on at the test clock's start, with a real com stream open on each channel,
// on the HID com driver as the program uses it.
struct BoardOnStreams
{
    using Channel = LidoraSim::SimulatedBoard::Channel;

    explicit BoardOnStreams(quint64 seed = LidoraSim::SimulatedBoard::DEFAULT_SCENE_SEED) : usb(true, seed)
    {
        control.stream.open();
        module.stream.open();
    }

    NoxCore::Communication::ComStream& stream(Channel channel)
    {
        return channel == Channel::Control ? control.stream : module.stream;
    }

    // Executes a command whose request bytes the caller chose; its answer payload lands in command.answer.
    void exchange(Channel channel, ScriptedComObject& command) { stream(channel).execute(&command); }

    ManualClock clock;
    SimulatedUsb usb;
    LidoraSim::SimulatedBoard& board = usb.board;
    BoardChannel control{"mi_03"};
    BoardChannel module{"mi_04"};
};

// A command with the given protocol, request bytes (hex) and accepted answer length.
inline ScriptedComObject commandOf(unsigned char protocol, const char* requestHex, unsigned int answerLimit,
                                   NoxCore::Communication::IComObject::CallingType callingType =
                                       NoxCore::Communication::IComObject::RequestAndResponse)
{
    const QByteArray request = QByteArray::fromHex(requestHex);
    ScriptedComObject command(protocol, unsigned(request.size()), answerLimit, callingType);
    command.request = request;
    return command;
}

// The little-endian field of width bytes at index in an objects answer.
inline quint32 answerField(const QByteArray& answer, int index, int width = 1)
{
    quint32 value = 0;
    for (int offset = width - 1; offset >= 0; --offset)
        value = (value << 8) | quint8(answer.at(index + offset));
    return value;
}

#endif
