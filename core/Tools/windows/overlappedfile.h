#ifndef NOXCORE_TOOLS_WINDOWS_OVERLAPPEDFILE_H
#define NOXCORE_TOOLS_WINDOWS_OVERLAPPEDFILE_H

#include "iwinfileapi.h"

#include <QString>

#include <functional>
#include <memory>
#include <string>

namespace NoxCore
{
namespace Tools
{

// A device opened exclusively for overlapped I/O (a HID interface, a serial port). Windows refuses a second
// opener of a device opened with share mode 0; Wine lets one in (seen with COM ports and not held to for
// HID on every version), so a named mutex per device path, taken before the device is opened, keeps a
// second opener out there too. The mutex goes away with the process that holds it, like a lock file.
// Closes the device, then gives up the mutex, when destroyed.
//
// Every transfer has an event of its own and waits at most its time-out; one that
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

    // Opens the device at path for reading and writing. Never null; isValid() tells whether it opened.
    static std::unique_ptr<OverlappedFile> openExclusive(IWinFileApi& api, const std::string& path);
    ~OverlappedFile();
    OverlappedFile(const OverlappedFile&) = delete;
    OverlappedFile& operator=(const OverlappedFile&) = delete;

    // False when the device did not open; openError() and lastErrorText() tell why.
    bool isValid() const;
    // The system's error of a failed open; SHARING_VIOLATION also when another opener holds the mutex.
    IWinFileApi::Error openError() const;
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
    // The name of the mutex that guards the device at path; the same for every spelling of the path, since
    // Windows does not tell upper from lower case in it.
    static QString guardName(const std::string& path);

private:
    OverlappedFile(IWinFileApi& api, const std::string& path);
    void open();

    // Starts ReadFile or WriteFile with the record and event given.
    using Start = std::function<bool(IWinFileApi::Overlapped*, IWinFileApi::Handle)>;

    Result transfer(const char* operation, const Start& start, quint32 timeoutMs, quint32* transferred);
    Result finish(bool started, IWinFileApi::Overlapped* overlapped, IWinFileApi::Handle event,
                  quint32 timeoutMs, quint32* transferred, const char* operation);
    Result fail(const char* operation, IWinFileApi::Error error);

    IWinFileApi& itsApi;
    IWinFileApi::Handle itsGuard = IWinFileApi::INVALID;
    IWinFileApi::Handle itsFile = IWinFileApi::INVALID;
    IWinFileApi::Error itsOpenError = 0;
    std::string itsPath;
    QString itsLastErrorText;
};

} // namespace Tools
} // namespace NoxCore

#endif
