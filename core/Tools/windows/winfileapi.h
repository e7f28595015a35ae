#ifndef NOXCORE_TOOLS_WINDOWS_WINFILEAPI_H
#define NOXCORE_TOOLS_WINDOWS_WINFILEAPI_H

#include "iwinfileapi.h"

namespace NoxCore
{
namespace Tools
{

// The real Win32 file calls behind IWinFileApi; built only for Windows.
class WinFileApi : public virtual IWinFileApi
{
public:
    Handle openExclusive(const std::string& path) override;
    bool closeHandle(Handle handle) override;
    Handle createEvent() override;
    bool readFile(Handle file, void* buffer, quint32 size, Overlapped* overlapped, Handle event) override;
    bool writeFile(Handle file, const void* data, quint32 size, Overlapped* overlapped,
                   Handle event) override;
    Wait waitFor(Handle object, quint32 timeoutMs) override;
    bool cancelIo(Handle file) override;
    bool overlappedResult(Handle file, Overlapped* overlapped, quint32* transferred, bool wait) override;
    Handle createNamedMutex(const QString& name) override;
    Error lastError() override;
    QString errorMessage(Error error) override;

protected:
    // A HANDLE (or HDEVINFO) from its bits, and back; NULL and INVALID_HANDLE_VALUE both become INVALID.
    static void* native(Handle handle);
    static Handle fromNative(void* handle);
};

} // namespace Tools
} // namespace NoxCore

#endif
