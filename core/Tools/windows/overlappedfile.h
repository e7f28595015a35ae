#ifndef NOXCORE_TOOLS_WINDOWS_OVERLAPPEDFILE_H
#define NOXCORE_TOOLS_WINDOWS_OVERLAPPEDFILE_H

#include "iwinfileapi.h"

#include <QString>

#include <functional>
#include <string>

namespace NoxCore
{
namespace Tools
{

// A device opened for overlapped I/O (a HID interface, a serial port). Owns the handle and closes it when
// destroyed. Every transfer has an event of its own and waits at most its time-out; one that
// does not end in time is cancelled, and the cancellation is waited for, because the system writes to the
// transfer's record and buffer until it is over and both live on the caller's stack. The texts of failures
// all come from describe(), so that every message names the device and the system's reason.
//
// Used by one thread at a time (CancelIo only ends the calling thread's transfers).
class OverlappedFile
{
public:
    enum class Result
    {
        Done,
        TimedOut,
        // The system refused the transfer or it failed; for a device that went away this is what comes.
        Failed
    };

    // Takes over file, an overlapped handle of the device at path (INVALID: nothing was opened).
    OverlappedFile(IWinFileApi& api, IWinFileApi::Handle file, const std::string& path);
    ~OverlappedFile();
    OverlappedFile(const OverlappedFile&) = delete;
    OverlappedFile& operator=(const OverlappedFile&) = delete;

    // False when nothing was opened.
    bool isValid() const;
    IWinFileApi::Handle handle() const;
    const std::string& path() const;

    // timeoutMs: IWinFileApi::WAIT_FOREVER waits without limit, 0 takes only what is there at once.
    Result read(void* buffer, quint32 size, quint32 timeoutMs, quint32* transferred);
    Result write(const void* data, quint32 size, quint32 timeoutMs, quint32* transferred);

    // Why the last transfer failed; empty after a success or a time-out.
    QString lastErrorText() const;
    // "<path>: <operation> failed: <system text> (error <code>)".
    static QString describe(IWinFileApi& api, const std::string& path, const char* operation,
                            IWinFileApi::Error error);

private:
    // Starts ReadFile or WriteFile with the record and event given.
    using Start = std::function<bool(IWinFileApi::Overlapped*, IWinFileApi::Handle)>;

    Result transfer(const char* operation, const Start& start, quint32 timeoutMs, quint32* transferred);
    Result finish(bool started, IWinFileApi::Overlapped* overlapped, IWinFileApi::Handle event,
                  quint32 timeoutMs, quint32* transferred, const char* operation);
    Result fail(const char* operation, IWinFileApi::Error error);

    IWinFileApi& itsApi;
    IWinFileApi::Handle itsFile;
    std::string itsPath;
    QString itsLastErrorText;
};

} // namespace Tools
} // namespace NoxCore

#endif
