#include "overlappedfile.h"

namespace NoxCore
{
namespace Tools
{

OverlappedFile::OverlappedFile(IWinFileApi& api, IWinFileApi::Handle file, const std::string& path)
    : itsApi(api), itsFile(file), itsEvent(IWinFileApi::INVALID), itsPath(path)
{
    if (itsFile == IWinFileApi::INVALID)
        return;
    itsEvent = itsApi.createEvent();
    if (itsEvent == IWinFileApi::INVALID)
        fail("CreateEvent", itsApi.lastError());
}

OverlappedFile::~OverlappedFile()
{
    if (itsEvent != IWinFileApi::INVALID)
        itsApi.closeHandle(itsEvent);
    if (itsFile != IWinFileApi::INVALID)
        itsApi.closeHandle(itsFile);
}

bool OverlappedFile::isValid() const
{
    return itsFile != IWinFileApi::INVALID && itsEvent != IWinFileApi::INVALID;
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
    IWinFileApi::Overlapped overlapped;
    const bool started = isValid() && itsApi.readFile(itsFile, buffer, size, &overlapped, itsEvent);
    return finish(started, &overlapped, timeoutMs, transferred, "ReadFile");
}

OverlappedFile::Result OverlappedFile::write(const void* data, quint32 size, quint32 timeoutMs,
                                             quint32* transferred)
{
    IWinFileApi::Overlapped overlapped;
    const bool started = isValid() && itsApi.writeFile(itsFile, data, size, &overlapped, itsEvent);
    return finish(started, &overlapped, timeoutMs, transferred, "WriteFile");
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

OverlappedFile::Result OverlappedFile::finish(bool started, IWinFileApi::Overlapped* overlapped,
                                              quint32 timeoutMs, quint32* transferred, const char* operation)
{
    *transferred = 0;
    itsLastErrorText.clear();
    if (!isValid())
        return Result::Failed;
    if (!started)
    {
        const IWinFileApi::Error error = itsApi.lastError();
        if (error != IWinFileApi::IO_PENDING)
            return fail(operation, error);
    }

    // A transfer that ended at once still tells its count through the record only.
    const IWinFileApi::Wait waited =
        started ? IWinFileApi::Wait::Signalled : itsApi.waitFor(itsEvent, timeoutMs);
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
    *transferred = 0;
    if (waited == IWinFileApi::Wait::Failed)
        return fail("WaitForSingleObject", waitError);
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
