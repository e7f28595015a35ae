#ifndef NOXCOM_SERIAL_ISERIALCONNECTION_H
#define NOXCOM_SERIAL_ISERIALCONNECTION_H

#include <QtGlobal>

namespace NoxCom
{
namespace Serial
{

// One serial port that a back end has opened exclusively, at the board's line setting, for a
// SerialComDriver. Destroying it closes the port. Bytes cross it as they are. Used by one thread at a time;
// every transfer blocks for at most its time-out.
class ISerialConnection
{
public:
    enum class Transfer
    {
        Done,
        // Nothing came, or not every byte left, within the time-out; the port is still good.
        TimedOut,
        // The port refused the transfer or has gone away (the board unplugged): it is of no further use.
        Failed
    };

    virtual ~ISerialConnection() = default;

    // Sends all size bytes, waiting at most timeoutMs (-1: without limit) for the last to leave. On a
    // time-out, what has not left is dropped, so that it does not go out in front of the next write.
    virtual Transfer write(const char* data, qint64 size, int timeoutMs) = 0;
    // Waits at most timeoutMs (-1: without limit) for the first byte, then stores what has arrived, up to
    // size bytes, and its count in *count. With a time-out of 0 it does not wait: Done with a count of 0
    // when nothing is there.
    virtual Transfer read(char* data, qint64 size, int timeoutMs, qint64* count) = 0;
    // Drops what waits in either direction.
    virtual void clear() = 0;
};

} // namespace Serial
} // namespace NoxCom

#endif
