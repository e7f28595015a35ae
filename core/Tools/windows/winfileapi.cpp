#include "winfileapi.h"

#include <windows.h>

namespace NoxCore
{
namespace Tools
{

namespace
{

static_assert(IWinFileApi::FILE_NOT_FOUND == ERROR_FILE_NOT_FOUND, "error code");
static_assert(IWinFileApi::ACCESS_DENIED == ERROR_ACCESS_DENIED, "error code");
static_assert(IWinFileApi::SHARING_VIOLATION == ERROR_SHARING_VIOLATION, "error code");
static_assert(IWinFileApi::INSUFFICIENT_BUFFER == ERROR_INSUFFICIENT_BUFFER, "error code");
static_assert(IWinFileApi::ALREADY_EXISTS == ERROR_ALREADY_EXISTS, "error code");
static_assert(IWinFileApi::NO_MORE_ITEMS == ERROR_NO_MORE_ITEMS, "error code");
static_assert(IWinFileApi::OPERATION_ABORTED == ERROR_OPERATION_ABORTED, "error code");
static_assert(IWinFileApi::IO_PENDING == ERROR_IO_PENDING, "error code");
static_assert(IWinFileApi::DEVICE_NOT_CONNECTED == ERROR_DEVICE_NOT_CONNECTED, "error code");
static_assert(IWinFileApi::WAIT_FOREVER == INFINITE, "infinite wait");
static_assert(sizeof(OVERLAPPED) <= sizeof(IWinFileApi::Overlapped::record) &&
                  alignof(OVERLAPPED) <= alignof(IWinFileApi::Overlapped),
              "OVERLAPPED fits its stand-in");

// The record is zeroed for every transfer, as the system requires, and carries the event.
OVERLAPPED* prepared(IWinFileApi::Overlapped* overlapped, IWinFileApi::Handle event)
{
    auto* record = reinterpret_cast<OVERLAPPED*>(overlapped->record);
    *record = OVERLAPPED();
    record->hEvent = reinterpret_cast<HANDLE>(event);
    return record;
}

} // namespace

IWinFileApi::Handle WinFileApi::openExclusive(const std::string& path)
{
    return fromNative(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr));
}

bool WinFileApi::closeHandle(Handle handle)
{
    return ::CloseHandle(native(handle)) != FALSE;
}

IWinFileApi::Handle WinFileApi::createEvent()
{
    return fromNative(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

bool WinFileApi::readFile(Handle file, void* buffer, quint32 size, Overlapped* overlapped, Handle event)
{
    return ::ReadFile(native(file), buffer, size, nullptr, prepared(overlapped, event)) != FALSE;
}

bool WinFileApi::writeFile(Handle file, const void* data, quint32 size, Overlapped* overlapped, Handle event)
{
    return ::WriteFile(native(file), data, size, nullptr, prepared(overlapped, event)) != FALSE;
}

IWinFileApi::Wait WinFileApi::waitFor(Handle object, quint32 timeoutMs)
{
    switch (::WaitForSingleObject(native(object), timeoutMs))
    {
    case WAIT_OBJECT_0:
        return Wait::Signalled;
    case WAIT_TIMEOUT:
        return Wait::TimedOut;
    default:
        return Wait::Failed;
    }
}

bool WinFileApi::cancelIo(Handle file)
{
    return ::CancelIo(native(file)) != FALSE;
}

bool WinFileApi::overlappedResult(Handle file, Overlapped* overlapped, quint32* transferred, bool wait)
{
    DWORD count = 0;
    const BOOL done = ::GetOverlappedResult(native(file), reinterpret_cast<OVERLAPPED*>(overlapped->record),
                                            &count, wait ? TRUE : FALSE);
    *transferred = count;
    return done != FALSE;
}

IWinFileApi::Handle WinFileApi::createNamedMutex(const QString& name)
{
    return fromNative(::CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(name.utf16())));
}

void* WinFileApi::native(Handle handle)
{
    return reinterpret_cast<void*>(handle);
}

IWinFileApi::Handle WinFileApi::fromNative(void* handle)
{
    return handle == nullptr ? INVALID : reinterpret_cast<Handle>(handle);
}

IWinFileApi::Error WinFileApi::lastError()
{
    return ::GetLastError();
}

QString WinFileApi::errorMessage(Error error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString message =
        length == 0 ? QStringLiteral("unknown error") : QString::fromWCharArray(text, int(length)).trimmed();
    ::LocalFree(text);
    return message;
}

} // namespace Tools
} // namespace NoxCore
