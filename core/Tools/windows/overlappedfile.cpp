#include "overlappedfile.h"

#include "Tools/scopeexit.h"

#include <QCryptographicHash>

namespace NoxCore
{
namespace Tools
{

std::unique_ptr<OverlappedFile> OverlappedFile::openExclusive(IWinFileApi& api, const std::string& path)
{
    std::unique_ptr<OverlappedFile> file(new OverlappedFile(api, path));
    file->open();
    return file;
}

OverlappedFile::OverlappedFile(IWinFileApi& api, const std::string& path) : itsApi(api), itsPath(path) {}

OverlappedFile::~OverlappedFile()
{
    if (itsFile != IWinFileApi::INVALID)
        itsApi.closeHandle(itsFile);
    if (itsGuard != IWinFileApi::INVALID)
        itsApi.closeHandle(itsGuard);
}

void OverlappedFile::open()
{
    itsGuard = itsApi.createNamedMutex(guardName(itsPath));
    if (itsGuard == IWinFileApi::INVALID)
    {
        itsOpenError = itsApi.lastError();
        fail("CreateMutex", itsOpenError);
        return;
    }
    if (itsApi.lastError() == IWinFileApi::ALREADY_EXISTS)
    {
        itsOpenError = IWinFileApi::SHARING_VIOLATION;
        itsLastErrorText = QString("%1: another opener holds it").arg(QString::fromStdString(itsPath));
        return;
    }
    itsFile = itsApi.openExclusive(itsPath);
    if (itsFile == IWinFileApi::INVALID)
    {
        itsOpenError = itsApi.lastError();
        fail("CreateFile", itsOpenError);
    }
}

bool OverlappedFile::isValid() const
{
    return itsFile != IWinFileApi::INVALID;
}

IWinFileApi::Error OverlappedFile::openError() const
{
    return itsOpenError;
}

IWinFileApi::Handle OverlappedFile::handle() const
{
    return itsFile;
}

const std::string& OverlappedFile::path() const
{
    return itsPath;
}

OverlappedFile::Result OverlappedFile::read(void* buffer, quint32 size, quint32 timeoutMs,
                                            quint32* transferred)
{
    return transfer(
        "ReadFile",
        [&](IWinFileApi::Overlapped* overlapped, IWinFileApi::Handle event)
        { return itsApi.readFile(itsFile, buffer, size, overlapped, event); },
        timeoutMs, transferred);
}

OverlappedFile::Result OverlappedFile::write(const void* data, quint32 size, quint32 timeoutMs,
                                             quint32* transferred)
{
    return transfer(
        "WriteFile",
        [&](IWinFileApi::Overlapped* overlapped, IWinFileApi::Handle event)
        { return itsApi.writeFile(itsFile, data, size, overlapped, event); },
        timeoutMs, transferred);
}

QString OverlappedFile::lastErrorText() const
{
    return itsLastErrorText;
}

QString OverlappedFile::describe(IWinFileApi& api, const std::string& path, const char* operation,
                                 IWinFileApi::Error error)
{
    return QString("%1: %2 failed: %3 (error %4)")
        .arg(QString::fromStdString(path), QString::fromLatin1(operation), api.errorMessage(error))
        .arg(error);
}

QString OverlappedFile::guardName(const std::string& path)
{
    // Mutex names take no backslash and at most MAX_PATH characters; a digest of the path has neither.
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(path).toLower(), QCryptographicHash::Sha1);
    return QStringLiteral("Local\\Lidora.Device.") + QString::fromLatin1(digest.toHex());
}

OverlappedFile::Result OverlappedFile::transfer(const char* operation, const Start& start, quint32 timeoutMs,
                                                quint32* transferred)
{
    *transferred = 0;
    itsLastErrorText.clear();
    if (!isValid())
        return Result::Failed;
    // A fresh event for every transfer: one left signalled by an earlier transfer can never end this one's
    // wait before it is done.
    const IWinFileApi::Handle event = itsApi.createEvent();
    if (event == IWinFileApi::INVALID)
        return fail("CreateEvent", itsApi.lastError());
    // Closed after the transfer has ended, whichever way it ends.
    const ScopeExit closeEvent([this, event] { itsApi.closeHandle(event); });
    IWinFileApi::Overlapped overlapped;
    const bool started = start(&overlapped, event);
    return finish(started, &overlapped, event, timeoutMs, transferred, operation);
}

OverlappedFile::Result OverlappedFile::finish(bool started, IWinFileApi::Overlapped* overlapped,
                                              IWinFileApi::Handle event, quint32 timeoutMs,
                                              quint32* transferred, const char* operation)
{
    if (!started)
    {
        const IWinFileApi::Error error = itsApi.lastError();
        if (error != IWinFileApi::IO_PENDING)
            return fail(operation, error);
    }

    // A transfer that ended at once still tells its count through the record only.
    const IWinFileApi::Wait waited =
        started ? IWinFileApi::Wait::Signalled : itsApi.waitFor(event, timeoutMs);
    if (waited == IWinFileApi::Wait::Signalled)
    {
        if (itsApi.overlappedResult(itsFile, overlapped, transferred, false))
            return Result::Done;
        return fail("GetOverlappedResult", itsApi.lastError());
    }

    const IWinFileApi::Error waitError = waited == IWinFileApi::Wait::Failed ? itsApi.lastError() : 0;
    // The record and the buffer must not go away while the system may still write to them, so after the
    // cancellation the transfer's end is waited for. What arrived in the meantime is not thrown away.
    itsApi.cancelIo(itsFile);
    if (itsApi.overlappedResult(itsFile, overlapped, transferred, true))
        return Result::Done;
    const IWinFileApi::Error error = itsApi.lastError();
    if (waited == IWinFileApi::Wait::Failed)
    {
        *transferred = 0;
        return fail("WaitForSingleObject", waitError);
    }
    // A COM port's read ends cancelled but counts the bytes it got by then; they are the answer.
    if (error == IWinFileApi::OPERATION_ABORTED && *transferred > 0)
        return Result::Done;
    *transferred = 0;
    // A device that went away while the transfer waited ends it with its own error, not as cancelled.
    return error == IWinFileApi::OPERATION_ABORTED ? Result::TimedOut : fail("GetOverlappedResult", error);
}

OverlappedFile::Result OverlappedFile::fail(const char* operation, IWinFileApi::Error error)
{
    itsLastErrorText = describe(itsApi, itsPath, operation, error);
    return Result::Failed;
}

} // namespace Tools
} // namespace NoxCore
