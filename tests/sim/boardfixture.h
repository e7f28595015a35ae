#ifndef LIDORA_TESTS_SIM_BOARDFIXTURE_H
#define LIDORA_TESTS_SIM_BOARDFIXTURE_H

#include "core/Communication/testcomobjects.h"
#include "support/manualclock.h"
#include "support/simulatedusb.h"

#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "hidcomdriver.h"

// A simulated board powered on at the test clock's start, with a real com stream open on each channel,
// on the HID com driver as the program uses it.
struct BoardOnStreams
{
    using Channel = LidoraSim::SimulatedBoard::Channel;

    explicit BoardOnStreams(quint64 seed = LidoraSim::SimulatedBoard::DEFAULT_SCENE_SEED) : usb(true, seed)
    {
        controlDriver.setFormatter(&formatter);
        moduleDriver.setFormatter(&formatter);
        controlStream.open();
        moduleStream.open();
    }
    ~BoardOnStreams()
    {
        controlStream.close();
        moduleStream.close();
    }

    NoxCore::Communication::ComStream& stream(Channel channel)
    {
        return channel == Channel::Control ? controlStream : moduleStream;
    }

    // Executes a command whose request bytes the caller chose; its answer payload lands in command.answer.
    void exchange(Channel channel, ScriptedComObject& command) { stream(channel).execute(&command); }

    static NoxHid::HidComDeviceInfo interface(const char* pathFilter)
    {
        NoxHid::HidComDeviceInfo info(LidoraSim::SimulatedHidBackend::VENDOR_ID,
                                      LidoraSim::SimulatedHidBackend::PRODUCT_ID);
        info.setPath(pathFilter);
        return info;
    }

    ManualClock clock;
    SimulatedUsb usb;
    LidoraSim::SimulatedBoard& board = usb.board;
    NoxCore::Communication::ComStreamFormatter formatter;
    NoxHid::HidComDriver controlDriver{interface("mi_03")};
    NoxHid::HidComDriver moduleDriver{interface("mi_04")};
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

// The little-endian field of width bytes at index in an objects answer.
inline quint32 answerField(const QByteArray& answer, int index, int width = 1)
{
    quint32 value = 0;
    for (int offset = width - 1; offset >= 0; --offset)
        value = (value << 8) | quint8(answer.at(index + offset));
    return value;
}

#endif
