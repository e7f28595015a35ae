#ifndef NOXCORE_TOOLS_WINDOWS_IWINFILEAPI_H
#define NOXCORE_TOOLS_WINDOWS_IWINFILEAPI_H

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <string>

namespace NoxCore
{
namespace Tools
{

// The Win32 file calls that overlapped device I/O needs, one method per call, in the project's own types so
// that the logic built on them (OverlappedFile, the HID and serial back ends) compiles and is tested on
// every platform against a fake. WinFileApi, built only for Windows, makes the real calls.
//
// lastError() is the calling thread's GetLastError(): ask it right after the call that failed, before any
// other call of this interface.
class IWinFileApi
{
public:
    // A HANDLE's bits.
    using Handle = std::uintptr_t;
    // A GetLastError() code.
    using Error = quint32;

    // INVALID_HANDLE_VALUE. Calls that give NULL on failure (CreateEvent, CreateMutex) give this too.
    static constexpr Handle INVALID = ~Handle(0);
    // Waits without limit (INFINITE).
    static constexpr quint32 WAIT_FOREVER = 0xFFFFFFFFu;

    // The system's error codes that the logic tells apart; the Windows build checks them against its headers.
    static constexpr Error FILE_NOT_FOUND = 2;
    static constexpr Error ACCESS_DENIED = 5;
    static constexpr Error SHARING_VIOLATION = 32;
    static constexpr Error INSUFFICIENT_BUFFER = 122;
    static constexpr Error ALREADY_EXISTS = 183;
    static constexpr Error NO_MORE_ITEMS = 259;
    static constexpr Error OPERATION_ABORTED = 995;
    static constexpr Error IO_PENDING = 997;
    static constexpr Error DEVICE_NOT_CONNECTED = 1167;

    // Stands in for an OVERLAPPED record (32 bytes on 64-bit Windows, 20 on 32-bit). The system writes to it
    // until the transfer it was given to is complete, so it must stay where it is until then.
    struct Overlapped
    {
        alignas(8) std::uint64_t record[4] = {};
    };

    enum class Wait
    {
        Signalled,
        TimedOut,
        Failed
    };

    virtual ~IWinFileApi() = default;

    // CreateFileA for reading and writing, no sharing, existing devices only, overlapped I/O.
    virtual Handle openExclusive(const std::string& path) = 0;
    virtual bool closeHandle(Handle handle) = 0;
    // CreateEventW: manual reset (as GetOverlappedResult wants it), not signalled, no name.
    virtual Handle createEvent() = 0;
    // ReadFile and WriteFile with overlapped and event; false with IO_PENDING while the transfer runs.
    virtual bool readFile(Handle file, void* buffer, quint32 size, Overlapped* overlapped, Handle event) = 0;
    virtual bool writeFile(Handle file, const void* data, quint32 size, Overlapped* overlapped,
                           Handle event) = 0;
    // WaitForSingleObject.
    virtual Wait waitFor(Handle object, quint32 timeoutMs) = 0;
    // CancelIo: asks the system to end the calling thread's pending transfers on file. They end later, with
    // OPERATION_ABORTED or with what arrived in the meantime.
    virtual bool cancelIo(Handle file) = 0;
    // GetOverlappedResult; with wait it blocks until the transfer has ended.
    virtual bool overlappedResult(Handle file, Overlapped* overlapped, quint32* transferred, bool wait) = 0;
    // CreateMutexW, not owned, under this name; ALREADY_EXISTS as the last error when it existed before.
    virtual Handle createNamedMutex(const QString& name) = 0;
    virtual Error lastError() = 0;
    // The system's text for error (FormatMessageW), without the line break it ends with.
    virtual QString errorMessage(Error error) = 0;
};

} // namespace Tools
} // namespace NoxCore

#endif
