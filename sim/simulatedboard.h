#ifndef LIDORASIM_SIMULATEDBOARD_H
#define LIDORASIM_SIMULATEDBOARD_H

#include "boardanswer.h"
#include "boardrequest.h"
#include "i2cbridge.h"
#include "sensormodule.h"

#include <QByteArray>

namespace LidoraSim
{

// The simulated evaluation board, at the level of stream frames: takes one whole request frame (5-byte
// header and payload, as the PC's com stream writes it) on its control or its module channel and returns
// the answer frame a real board sends (5-byte answer header and payload), or nothing.
//
// - Control channel: the firmware number (0x67).
// - Module channel: the firmware number too; the sensor module's commands (objects 0x02, operation mode
//   0x07, identification 0x08, calibration block 0x09); the I2C bridge to the sensor chip (0x61, 0x62,
//   0x6C).
// Every command is carried out whether its frame is fire-and-forget or not; only a request-and-response
// frame gets an answer. Unknown commands, requests of the wrong length and bad arguments are refused with
// a status (see BoardStatus) and an empty payload; a frame whose length field disagrees with its size is
// dropped unanswered, as is everything while the channel is switched silent.
//
// Not thread-safe; one owner feeds both channels.
class SimulatedBoard
{
public:
    enum class Channel
    {
        Control,
        Module
    };

    // Faults a channel can be switched into until it is switched back to None. The firmware acts on the
    // faults of the answer frame listed here. Faults of the transport that carries the frames (unplugging,
    // stale sequence numbers, report counts out of range) belong in this list too, acted on by that
    // transport; the firmware answers normally under them.
    enum class Fault
    {
        None,
        // Takes the frame and does nothing: no answer, no effect.
        Silent,
        // The answer carries another protocol id than its request.
        WrongProtocolId,
        // The answer announces, and carries, one byte more than the request accepts.
        OversizedLength,
        // The sensor module has hung on a board that is alive: its own commands are taken and neither
        // answered nor carried out, while the controller answers its firmware number and the I2C bridge as
        // ever.
        SilentSensor
    };

    static constexpr unsigned char FIRMWARE_NUMBER_PROTOCOL = 0x67;
    // The controller's firmware 1.4, build marker 2: major, minor, marker.
    static constexpr unsigned char FIRMWARE_MAJOR = 1;
    static constexpr unsigned char FIRMWARE_MINOR = 4;
    static constexpr unsigned char FIRMWARE_MARKER = 2;

    static constexpr quint64 DEFAULT_SCENE_SEED = 0x11D0;

    explicit SimulatedBoard(quint64 sceneSeed = DEFAULT_SCENE_SEED);

    // The answer frame, or an empty array when none is due.
    QByteArray handleFrame(Channel channel, const QByteArray& frame);

    // Switches both channels.
    void setFault(Fault fault);
    void setFault(Channel channel, Fault fault);
    Fault fault(Channel channel) const;

    SensorModule& sensorModule() { return itsSensorModule; }
    I2cBridge& i2cBridge() { return itsI2cBridge; }

private:
    static bool parseFrame(const QByteArray& frame, BoardRequest& request);
    BoardAnswer execute(Channel channel, const BoardRequest& request);
    static BoardAnswer firmwareNumber(const BoardRequest& request);
    static QByteArray answerFrame(const BoardRequest& request, const BoardAnswer& answer, Fault fault);

    SensorModule itsSensorModule;
    I2cBridge itsI2cBridge;
    Fault itsControlFault;
    Fault itsModuleFault;
};

} // namespace LidoraSim

#endif
