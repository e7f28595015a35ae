#include "hiddeviceinfo.h"

#include "Tools/noxassert.h"

namespace NoxHid
{

HidDeviceInfo::HidDeviceInfo() : HidDeviceInfo(0, 0) {}

HidDeviceInfo::HidDeviceInfo(quint16 vendorId, quint16 productId)
    : itsVendorId(vendorId), itsProductId(productId)
{
}

HidDeviceInfo::HidDeviceInfo(const HidDeviceInfo& other) = default;

HidDeviceInfo& HidDeviceInfo::operator=(const HidDeviceInfo& other) = default;

HidDeviceInfo::~HidDeviceInfo() = default;

quint16 HidDeviceInfo::vendorId() const
{
    return itsVendorId;
}

quint16 HidDeviceInfo::productId() const
{
    return itsProductId;
}

const wchar_t* HidDeviceInfo::serialNumber() const
{
    return itsSerialNumber.c_str();
}

void HidDeviceInfo::setSerialNumber(const wchar_t* serialNumber)
{
    NOX_ASSERT(serialNumber != nullptr, "serialNr is Null!");
    itsSerialNumber = serialNumber;
}

const char* HidDeviceInfo::path() const
{
    return itsPath.c_str();
}

void HidDeviceInfo::setPath(const char* path)
{
    NOX_ASSERT(path != nullptr, "path is Null!");
    itsPath = path;
}

bool HidDeviceInfo::isPathEmpty() const
{
    return itsPath.empty();
}

bool HidDeviceInfo::isSerialNumberEmpty() const
{
    return itsSerialNumber.empty();
}

void HidDeviceInfo::set(quint16 vendorId, quint16 productId)
{
    itsVendorId = vendorId;
    itsProductId = productId;
    itsSerialNumber.clear();
    itsPath.clear();
}

void HidDeviceInfo::clear()
{
    set(0, 0);
}

} // namespace NoxHid
