#include "winhidapi.h"

// windows.h first: the SetupAPI and HID headers build on its types.
#include <windows.h>

#include <setupapi.h>
// MinGW's HID headers declare C functions without saying so to C++.
extern "C"
{
#include <hidsdi.h>
}

#include <cstddef>
#include <cstring>
#include <vector>

namespace NoxHid
{

namespace
{

static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) <= sizeof(IWinHidApi::InterfaceData::record) &&
                  alignof(SP_DEVICE_INTERFACE_DATA) <= alignof(IWinHidApi::InterfaceData),
              "SP_DEVICE_INTERFACE_DATA fits its stand-in");

SP_DEVICE_INTERFACE_DATA* toInterfaceData(IWinHidApi::InterfaceData* data)
{
    return reinterpret_cast<SP_DEVICE_INTERFACE_DATA*>(data->record);
}

// The offset of the path in the detail record; the record's size field counts only the fixed part.
const DWORD PATH_OFFSET = DWORD(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));

} // namespace

IWinHidApi::DeviceSet WinHidApi::openInterfaceSet()
{
    GUID hidClass;
    ::HidD_GetHidGuid(&hidClass);
    const HDEVINFO set =
        ::SetupDiGetClassDevsW(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    return fromNative(set);
}

bool WinHidApi::enumInterface(DeviceSet set, quint32 index, InterfaceData* data)
{
    SP_DEVICE_INTERFACE_DATA* record = toInterfaceData(data);
    *record = SP_DEVICE_INTERFACE_DATA();
    record->cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
    GUID hidClass;
    ::HidD_GetHidGuid(&hidClass);
    return ::SetupDiEnumDeviceInterfaces(native(set), nullptr, &hidClass, index, record) != FALSE;
}

bool WinHidApi::interfacePath(DeviceSet set, InterfaceData* data, char* buffer, quint32 size,
                              quint32* requiredSize)
{
    DWORD detailSize = 0;
    if (buffer == nullptr || size == 0)
    {
        const BOOL done = ::SetupDiGetDeviceInterfaceDetailA(native(set), toInterfaceData(data), nullptr, 0,
                                                             &detailSize, nullptr);
        const DWORD error = ::GetLastError();
        *requiredSize = detailSize > PATH_OFFSET ? quint32(detailSize - PATH_OFFSET) : 0;
        ::SetLastError(error);
        return done != FALSE;
    }
    std::vector<char> detail(PATH_OFFSET + size, '\0');
    auto* record = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail.data());
    record->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    const BOOL done = ::SetupDiGetDeviceInterfaceDetailA(native(set), toInterfaceData(data), record,
                                                         DWORD(detail.size()), &detailSize, nullptr);
    const DWORD error = ::GetLastError();
    *requiredSize = detailSize > PATH_OFFSET ? quint32(detailSize - PATH_OFFSET) : 0;
    if (done != FALSE)
        std::memcpy(buffer, record->DevicePath, size);
    buffer[size - 1] = '\0';
    ::SetLastError(error);
    return done != FALSE;
}

bool WinHidApi::closeInterfaceSet(DeviceSet set)
{
    return ::SetupDiDestroyDeviceInfoList(native(set)) != FALSE;
}

bool WinHidApi::attributes(Handle file, quint16* vendorId, quint16* productId)
{
    HIDD_ATTRIBUTES attributes = {};
    attributes.Size = sizeof attributes;
    if (!::HidD_GetAttributes(native(file), &attributes))
        return false;
    *vendorId = attributes.VendorID;
    *productId = attributes.ProductID;
    return true;
}

bool WinHidApi::preparsedData(Handle file, PreparsedData* data)
{
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!::HidD_GetPreparsedData(native(file), &preparsed))
        return false;
    *data = reinterpret_cast<PreparsedData>(preparsed);
    return true;
}

bool WinHidApi::reportLengths(PreparsedData data, quint16* inputLength, quint16* outputLength)
{
    HIDP_CAPS caps = {};
    if (::HidP_GetCaps(reinterpret_cast<PHIDP_PREPARSED_DATA>(data), &caps) != HIDP_STATUS_SUCCESS)
        return false;
    *inputLength = caps.InputReportByteLength;
    *outputLength = caps.OutputReportByteLength;
    return true;
}

bool WinHidApi::freePreparsedData(PreparsedData data)
{
    return ::HidD_FreePreparsedData(reinterpret_cast<PHIDP_PREPARSED_DATA>(data)) != FALSE;
}

bool WinHidApi::productString(Handle file, char16_t* buffer, quint32 size)
{
    return ::HidD_GetProductString(native(file), buffer, size) != FALSE;
}

} // namespace NoxHid
