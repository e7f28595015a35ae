#include "winserialapi.h"

// windows.h first: the SetupAPI header builds on its types.
#include <windows.h>

// Defines the class GUIDs here; MinGW's import libraries do not carry them.
#include <initguid.h>

#include <devguid.h>
#include <setupapi.h>

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

} // namespace Serial
} // namespace NoxCom
