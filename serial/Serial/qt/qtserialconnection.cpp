#include "qtserialconnection.h"

#include <QDeadlineTimer>
#include <QSerialPort>

namespace NoxCom
{
namespace Serial
{

QtSerialConnection::QtSerialConnection(std::unique_ptr<QSerialPort> port) : itsPort(std::move(port)) {}

QtSerialConnection::~QtSerialConnection()
{
    itsPort->close();
}

ISerialConnection::Transfer QtSerialConnection::write(const char* data, qint64 size, int timeoutMs)
{
    if (itsPort->write(data, size) == size && waitUntilWritten(timeoutMs))
        return Transfer::Done;
    const Transfer result = failure();
    // What did not leave in time would otherwise go out in front of the next write.
    if (result == Transfer::TimedOut)
        itsPort->clear(QSerialPort::Output);
    return result;
}

ISerialConnection::Transfer QtSerialConnection::read(char* data, qint64 size, int timeoutMs, qint64* count)
{
    *count = 0;
    // A wait of 0 ms picks up what the system already holds, so a read without waiting does not depend on
    // the event loop having run since the board sent.
    if (itsPort->bytesAvailable() == 0 && !itsPort->waitForReadyRead(timeoutMs))
    {
        if (timeoutMs != 0 || itsPort->error() != QSerialPort::TimeoutError)
            return failure();
        itsPort->clearError();
    }
    const qint64 read = itsPort->read(data, size);
    if (read < 0 || itsPort->error() != QSerialPort::NoError)
        return failure();
    *count = read;
    return Transfer::Done;
}

void QtSerialConnection::clear()
{
    itsPort->clear(QSerialPort::AllDirections);
    itsPort->clearError();
}

bool QtSerialConnection::waitUntilWritten(int timeoutMs)
{
    // One wait hands Qt's buffer to the system once; a write larger than what the system takes at a time
    // needs several, or its tail would wait in Qt's buffer for an event loop.
    const QDeadlineTimer deadline(timeoutMs);
    while (itsPort->bytesToWrite() > 0)
    {
        if (!itsPort->waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    return itsPort->error() == QSerialPort::NoError;
}

ISerialConnection::Transfer QtSerialConnection::failure()
{
    // A hung-up port (the board unplugged) shows as a read or write error, never as a time-out.
    const QSerialPort::SerialPortError error = itsPort->error();
    if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
        return Transfer::Failed;
    itsPort->clearError();
    return Transfer::TimedOut;
}

} // namespace Serial
} // namespace NoxCom
