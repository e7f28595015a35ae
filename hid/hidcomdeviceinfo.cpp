#include "hidcomdeviceinfo.h"

#include "Tools/noxassert.h"

namespace NoxHid
{

HidComDeviceInfo::HidComDeviceInfo() : HidComDeviceInfo(0, 0) {}

HidComDeviceInfo::HidComDeviceInfo(quint16 vendorId, quint16 productId)
    : itsVendorId(vendorId), itsProductId(productId)
{
}

HidComDeviceInfo::HidComDeviceInfo(const HidComDeviceInfo& other) = default;

HidComDeviceInfo& HidComDeviceInfo::operator=(const HidComDeviceInfo& other) = default;

HidComDeviceInfo::~HidComDeviceInfo() = default;

void HidComDeviceInfo::setSerialNumber(const wchar_t* serialNr)
{
    NOX_ASSERT(serialNr != NULL, "serialNr is Null!");
    itsSerialNumber = serialNr;
}

void HidComDeviceInfo::setPath(const char* path)
{
    NOX_ASSERT(path != NULL, "path is Null!");
    itsPath = path;
}

} // namespace NoxHid
