#ifndef LIDORA_TESTS_SIM_BOARDFIXTURE_H
#define LIDORA_TESTS_SIM_BOARDFIXTURE_H

#include "core/Communication/testcomobjects.h"
#include "support/manualclock.h"
#include "support/simulatedboardcomdriver.h"

#include "simulatedboard.h"

#include "Communication/comstream.h"

// A simulated board powered on at the test clock's start, with a real com stream open on each channel.
struct BoardOnStreams
{
    using Channel = LidoraSim::SimulatedBoard::Channel;

    explicit BoardOnStreams(quint64 seed = LidoraSim::SimulatedBoard::DEFAULT_SCENE_SEED) : board(seed)
    {
        controlStream.open();
        moduleStream.open();
    }

    NoxCore::Communication::ComStream& stream(Channel channel)
    {
        return channel == Channel::Control ? controlStream : moduleStream;
    }

    // Executes a command whose request bytes the caller chose; its answer payload lands in command.answer.
    void exchange(Channel channel, ScriptedComObject& command) { stream(channel).execute(&command); }

    ManualClock clock;
    LidoraSim::SimulatedBoard board;
    SimulatedBoardComDriver controlDriver{board, Channel::Control};
    SimulatedBoardComDriver moduleDriver{board, Channel::Module};
    NoxCore::Communication::ComStream controlStream{
        &controlDriver, NoxCore::Communication::ComStream::theImmediateFlushPolicy};
    NoxCore::Communication::ComStream moduleStream{
        &moduleDriver, NoxCore::Communication::ComStream::theImmediateFlushPolicy};
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

// The objects answer, little-endian fields in answer order.
struct ObjectsAnswer
{
    explicit ObjectsAnswer(const QByteArray& answer)
    {
        const auto byte = [&answer](int index) { return quint32(quint8(answer.at(index))); };
        const auto value = [&byte](int index, int width)
        {
            quint32 result = 0;
            for (int offset = width - 1; offset >= 0; --offset)
                result = (result << 8) | byte(index + offset);
            return result;
        };
        count = byte(0);
        firstByte = byte(1);
        distances[0] = value(2, 2);
        distances[1] = value(4, 2);
        distances[2] = value(6, 2);
        confidence = byte(8);
        photonCountReference = value(9, 4);
        photonCountObject = value(13, 4);
    }

    quint32 count;
    quint32 firstByte;
    quint32 distances[3];
    quint32 confidence;
    quint32 photonCountReference;
    quint32 photonCountObject;
};

#endif
