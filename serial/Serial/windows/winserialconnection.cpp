#include "winserialconnection.h"

#include <QtDebug>

#include <limits>

namespace NoxCom
{
namespace Serial
{

using NoxCore::Tools::IWinFileApi;
using NoxCore::Tools::OverlappedFile;

namespace
{

const quint32 MAXIMUM = std::numeric_limits<quint32>::max();
// A short interval and no total time-out of the port's own (the caller's is kept by the wait): the read
// ends a moment after the bytes stop coming. Wine ignores the documented "end with the first byte" setting
// (interval and multiplier at their maximum) and keeps such a read waiting until its buffer is full.
const IWinSerialApi::ReadTimeouts UNTIL_BYTES_PAUSE = {5, 0, 0};
// Interval at its maximum and the rest 0: the read ends at once with what is there, even nothing.
const IWinSerialApi::ReadTimeouts IMMEDIATE = {MAXIMUM, 0, 0};
// The most one transfer moves; Windows counts in 32 bits.
const qint64 MAX_TRANSFER = std::numeric_limits<qint32>::max();

quint32 waitOf(int timeoutMs)
{
    return timeoutMs < 0 ? IWinFileApi::WAIT_FOREVER : quint32(timeoutMs);
}

} // namespace

WinSerialConnection::WinSerialConnection(IWinSerialApi& api, std::unique_ptr<OverlappedFile> file)
    : itsApi(api), itsFile(std::move(file))
{
}

WinSerialConnection::~WinSerialConnection() = default;

ISerialConnection::Transfer WinSerialConnection::write(const char* data, qint64 size, int timeoutMs)
{
    if (size < 0 || size > MAX_TRANSFER)
        return Transfer::TimedOut;
    quint32 sent = 0;
    const OverlappedFile::Result result = itsFile->write(data, quint32(size), waitOf(timeoutMs), &sent);
    if (result == OverlappedFile::Result::Failed)
        return failed(itsFile->lastErrorText());
    if (result == OverlappedFile::Result::Done && sent == quint32(size))
        return Transfer::Done;
    // What did not leave in time would otherwise go out in front of the next write.
    itsApi.purgeOutput(itsFile->handle());
    return Transfer::TimedOut;
}

ISerialConnection::Transfer WinSerialConnection::read(char* data, qint64 size, int timeoutMs, qint64* count)
{
    *count = 0;
    const bool waits = timeoutMs != 0;
    if (!setReadMode(waits ? ReadMode::Waiting : ReadMode::Immediate))
        return failed(
            OverlappedFile::describe(itsApi, itsFile->path(), "SetCommTimeouts", itsApi.lastError()));
    quint32 received = 0;
    const OverlappedFile::Result result =
        itsFile->read(data, quint32(qMin(size, MAX_TRANSFER)), waitOf(timeoutMs), &received);
    if (result == OverlappedFile::Result::Failed)
        return failed(itsFile->lastErrorText());
    if (received == 0 && waits)
        return Transfer::TimedOut;
    *count = received;
    return Transfer::Done;
}

void WinSerialConnection::clear()
{
    itsApi.purge(itsFile->handle());
}

bool WinSerialConnection::setReadMode(ReadMode mode)
{
    if (mode == itsReadMode)
        return true;
    itsReadMode = ReadMode::Unknown;
    if (!itsApi.setReadTimeouts(itsFile->handle(), mode == ReadMode::Waiting ? UNTIL_BYTES_PAUSE : IMMEDIATE))
        return false;
    itsReadMode = mode;
    return true;
}

ISerialConnection::Transfer WinSerialConnection::failed(const QString& text)
{
    if (!itsFailureReported)
    {
        itsFailureReported = true;
        qWarning().noquote() << "Serial port" << text;
    }
    return Transfer::Failed;
}

} // namespace Serial
} // namespace NoxCom
