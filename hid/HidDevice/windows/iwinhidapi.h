#ifndef NOXHID_HIDDEVICE_WINDOWS_IWINHIDAPI_H
#define NOXHID_HIDDEVICE_WINDOWS_IWINHIDAPI_H

#include "Tools/windows/iwinfileapi.h"

namespace NoxHid
{

// The SetupAPI and hid.dll calls of the Windows HID back end, one method per call, in the project's own
// types, so that WinHidBackend is tested against a fake on every platform. WinHidApi, built only for
// Windows, makes the real calls.
class IWinHidApi : public virtual NoxCore::Tools::IWinFileApi
{
public:
    // An HDEVINFO's bits.
    using DeviceSet = Handle;
    // A PHIDP_PREPARSED_DATA's bits.
    using PreparsedData = std::uintptr_t;

    // Stands in for an SP_DEVICE_INTERFACE_DATA record (32 bytes on 64-bit Windows).
    struct InterfaceData
    {
        alignas(8) std::uint64_t record[4] = {};
    };

    // HidD_GetHidGuid, then SetupDiGetClassDevsW for the present interfaces of that class; INVALID on
    // failure.
    virtual DeviceSet openInterfaceSet() = 0;
    // SetupDiEnumDeviceInterfaces: the interface with this index; false with NO_MORE_ITEMS past the last.
    virtual bool enumInterface(DeviceSet set, quint32 index, InterfaceData* data) = 0;
    // SetupDiGetDeviceInterfaceDetailA, reduced to the interface path: copies the zero-terminated path into
    // buffer when it has room, else fails with INSUFFICIENT_BUFFER. *requiredSize is the path's size with
    // its terminator either way.
    virtual bool interfacePath(DeviceSet set, InterfaceData* data, char* buffer, quint32 size,
                               quint32* requiredSize) = 0;
    // SetupDiDestroyDeviceInfoList.
    virtual bool closeInterfaceSet(DeviceSet set) = 0;

    // HidD_GetAttributes.
    virtual bool attributes(Handle file, quint16* vendorId, quint16* productId) = 0;
    // HidD_GetPreparsedData, HidP_GetCaps (input and output report byte lengths), HidD_FreePreparsedData.
    virtual bool preparsedData(Handle file, PreparsedData* data) = 0;
    virtual bool reportLengths(PreparsedData data, quint16* inputLength, quint16* outputLength) = 0;
    virtual bool freePreparsedData(PreparsedData data) = 0;
    // HidD_GetProductString; size in bytes.
    virtual bool productString(Handle file, char16_t* buffer, quint32 size) = 0;
};

} // namespace NoxHid

#endif
