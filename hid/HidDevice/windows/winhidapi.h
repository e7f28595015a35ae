#ifndef NOXHID_HIDDEVICE_WINDOWS_WINHIDAPI_H
#define NOXHID_HIDDEVICE_WINDOWS_WINHIDAPI_H

#include "iwinhidapi.h"

#include "Tools/windows/winfileapi.h"

namespace NoxHid
{

// The real SetupAPI and hid.dll calls behind IWinHidApi; built only for Windows.
class WinHidApi : public virtual IWinHidApi, public NoxCore::Tools::WinFileApi
{
public:
    DeviceSet openInterfaceSet() override;
    bool enumInterface(DeviceSet set, quint32 index, InterfaceData* data) override;
    bool interfacePath(DeviceSet set, InterfaceData* data, char* buffer, quint32 size,
                       quint32* requiredSize) override;
    bool closeInterfaceSet(DeviceSet set) override;
    bool attributes(Handle file, quint16* vendorId, quint16* productId) override;
    bool preparsedData(Handle file, PreparsedData* data) override;
    bool reportLengths(PreparsedData data, quint16* inputLength, quint16* outputLength) override;
    bool freePreparsedData(PreparsedData data) override;
    bool productString(Handle file, char16_t* buffer, quint32 size) override;
};

} // namespace NoxHid

#endif
