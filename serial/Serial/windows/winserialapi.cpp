#include "winserialapi.h"

// windows.h first: the SetupAPI header builds on its types.
#include <windows.h>

// Defines the class GUIDs here; MinGW's import libraries do not carry them.
#include <initguid.h>

#include <devguid.h>
#include <setupapi.h>

#include <string>
#include <vector>

namespace NoxCom
{
namespace Serial
{

namespace
{

static_assert(sizeof(SP_DEVINFO_DATA) <= sizeof(IWinSerialApi::DeviceData::record) &&
                  alignof(SP_DEVINFO_DATA) <= alignof(IWinSerialApi::DeviceData),
              "SP_DEVINFO_DATA fits its stand-in");

// Registry texts are short; a port name is a few characters.
const DWORD MAX_TEXT_BYTES = 1024;

SP_DEVINFO_DATA* toDeviceData(IWinSerialApi::DeviceData* data)
{
    return reinterpret_cast<SP_DEVINFO_DATA*>(data->record);
}

DWORD propertyCode(IWinSerialApi::Property property)
{
    switch (property)
    {
    case IWinSerialApi::Property::HardwareId:
        return SPDRP_HARDWAREID;
    case IWinSerialApi::Property::Manufacturer:
        return SPDRP_MFG;
    case IWinSerialApi::Property::Description:
        break;
    }
    return SPDRP_DEVICEDESC;
}

// The first string of a registry text, which may be a list of strings and need not be terminated.
QString firstString(const std::vector<wchar_t>& text, DWORD bytes)
{
    const int length = int(qMin<DWORD>(bytes / sizeof(wchar_t), DWORD(text.size())));
    const QString all = QString::fromWCharArray(text.data(), length);
    return all.left(all.indexOf(QChar('\0')) < 0 ? all.size() : all.indexOf(QChar('\0')));
}

// Wine's own exports, which convert between its Windows and Unix paths; each result lies on the process heap.
using UnixFileName = char*(CDECL*)(const wchar_t*);
using DosFileName = wchar_t*(CDECL*)(const char*);

template <typename Function> Function wineExport(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name)));
}

// The Windows path of a Unix one, so that Windows' calls reach it; empty without Wine.
std::wstring dosPath(const QString& unixPath)
{
    const auto convert = wineExport<DosFileName>("wine_get_dos_file_name");
    wchar_t* path = convert == nullptr ? nullptr : convert(unixPath.toLocal8Bit().constData());
    const std::wstring result = path == nullptr ? std::wstring() : std::wstring(path);
    ::HeapFree(::GetProcessHeap(), 0, path);
    return result;
}

} // namespace

IWinSerialApi::DeviceSet WinSerialApi::openPortSet()
{
    const HDEVINFO set = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    return fromNative(set);
}

bool WinSerialApi::enumPort(DeviceSet set, quint32 index, DeviceData* data)
{
    SP_DEVINFO_DATA* record = toDeviceData(data);
    *record = SP_DEVINFO_DATA();
    record->cbSize = sizeof(SP_DEVINFO_DATA);
    return ::SetupDiEnumDeviceInfo(native(set), index, record) != FALSE;
}

bool WinSerialApi::portProperty(DeviceSet set, DeviceData* data, Property property, QString* value)
{
    std::vector<wchar_t> text(MAX_TEXT_BYTES / sizeof(wchar_t), L'\0');
    DWORD type = 0;
    DWORD bytes = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(native(set), toDeviceData(data), propertyCode(property), &type,
                                             reinterpret_cast<BYTE*>(text.data()), MAX_TEXT_BYTES, &bytes))
        return false;
    *value = firstString(text, bytes);
    return true;
}

bool WinSerialApi::portName(DeviceSet set, DeviceData* data, QString* name)
{
    const HKEY key =
        ::SetupDiOpenDevRegKey(native(set), toDeviceData(data), DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE)
        return false;
    std::vector<wchar_t> text(MAX_TEXT_BYTES / sizeof(wchar_t), L'\0');
    DWORD type = 0;
    DWORD bytes = MAX_TEXT_BYTES;
    const LONG result =
        ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes);
    ::RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return false;
    *name = firstString(text, bytes);
    return true;
}

bool WinSerialApi::closePortSet(DeviceSet set)
{
    return ::SetupDiDestroyDeviceInfoList(native(set)) != FALSE;
}

bool WinSerialApi::setBufferSizes(Handle file, quint32 inputSize, quint32 outputSize)
{
    return ::SetupComm(native(file), inputSize, outputSize) != FALSE;
}

bool WinSerialApi::setLine(Handle file, const Line& line)
{
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(native(file), &dcb))
        return false;
    dcb.BaudRate = line.baudRate;
    dcb.ByteSize = line.dataBits;
    dcb.Parity = line.parity;
    dcb.StopBits = line.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = line.parity != NOPARITY;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    // A line error must not stop every later transfer until someone clears it.
    dcb.fAbortOnError = FALSE;
    return ::SetCommState(native(file), &dcb) != FALSE;
}

bool WinSerialApi::setReadTimeouts(Handle file, const ReadTimeouts& timeouts)
{
    COMMTIMEOUTS settings = {};
    settings.ReadIntervalTimeout = timeouts.interval;
    settings.ReadTotalTimeoutMultiplier = timeouts.multiplier;
    settings.ReadTotalTimeoutConstant = timeouts.constant;
    return ::SetCommTimeouts(native(file), &settings) != FALSE;
}

bool WinSerialApi::purge(Handle file)
{
    DWORD errors = 0;
    return ::PurgeComm(native(file), PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR) !=
               FALSE &&
           ::ClearCommError(native(file), &errors, nullptr) != FALSE;
}

bool WinSerialApi::purgeOutput(Handle file)
{
    return ::PurgeComm(native(file), PURGE_TXCLEAR) != FALSE;
}

bool WinSerialApi::runsOnWine()
{
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

QStringList WinSerialApi::registeredPortNames()
{
    QStringList names;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index)
    {
        // The value names are the drivers' device names ("\Device\Serial0"), the data the port names.
        wchar_t valueName[256];
        DWORD valueNameLength = 256;
        std::vector<wchar_t> text(MAX_TEXT_BYTES / sizeof(wchar_t), L'\0');
        DWORD type = 0;
        DWORD bytes = MAX_TEXT_BYTES;
        if (::RegEnumValueW(key, index, valueName, &valueNameLength, nullptr, &type,
                            reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS)
            break;
        if (type == REG_SZ)
            names.append(firstString(text, bytes));
    }
    ::RegCloseKey(key);
    return names;
}

QString WinSerialApi::realUnixPath(const QString& path)
{
    const std::wstring windowsPath =
        path.startsWith('/') ? dosPath(path) : std::wstring(reinterpret_cast<const wchar_t*>(path.utf16()));
    const auto convert = wineExport<UnixFileName>("wine_get_unix_file_name");
    if (windowsPath.empty() || convert == nullptr)
        return QString();
    // No access rights: the path is only looked at, and folders open too.
    const HANDLE file =
        ::CreateFileW(windowsPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return QString();
    std::vector<wchar_t> finalPath(MAX_TEXT_BYTES, L'\0');
    const DWORD length =
        ::GetFinalPathNameByHandleW(file, finalPath.data(), DWORD(finalPath.size()), FILE_NAME_NORMALIZED);
    ::CloseHandle(file);
    if (length == 0 || length >= finalPath.size())
        return QString();
    char* unixPath = convert(finalPath.data());
    const QString result = unixPath == nullptr ? QString() : QString::fromLocal8Bit(unixPath);
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return result;
}

QString WinSerialApi::unixFileText(const QString& unixPath)
{
    const std::wstring windowsPath = dosPath(unixPath);
    if (windowsPath.empty())
        return QString();
    const HANDLE file = ::CreateFileW(windowsPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return QString();
    char text[MAX_TEXT_BYTES];
    DWORD bytes = 0;
    const bool read = ::ReadFile(file, text, sizeof text, &bytes, nullptr) != FALSE;
    ::CloseHandle(file);
    return read ? QString::fromUtf8(text, int(bytes)).trimmed() : QString();
}

QStringList WinSerialApi::unixFolderEntries(const QString& unixFolder)
{
    QStringList names;
    const std::wstring folder = dosPath(unixFolder);
    if (folder.empty())
        return names;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        const QString name = QString::fromWCharArray(entry.cFileName);
        if (name != "." && name != "..")
            names.append(name);
    } while (::FindNextFileW(search, &entry) != FALSE);
    ::FindClose(search);
    return names;
}

} // namespace Serial
} // namespace NoxCom
