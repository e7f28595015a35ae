#ifndef NOXHID_HIDCOMDEVICEINFO_H
#define NOXHID_HIDCOMDEVICEINFO_H

#include <QtGlobal>

#include <string>

namespace NoxHid
{

// Which HID interface a HidComDriver opens: vendor and product id and a path filter, a substring the
// interface path must contain (such as "mi_03"). The serial number is carried along but not used for the
// selection. Owns copies of both strings.
class HidComDeviceInfo
{
public:
    HidComDeviceInfo();
    HidComDeviceInfo(quint16 vendorId, quint16 productId);
    HidComDeviceInfo(const HidComDeviceInfo& other);
    HidComDeviceInfo& operator=(const HidComDeviceInfo& other);
    virtual ~HidComDeviceInfo();

    quint16 vendorId() const { return itsVendorId; }
    quint16 productId() const { return itsProductId; }
    void setVendorId(quint16 vendorId) { itsVendorId = vendorId; }
    void setProductId(quint16 productId) { itsProductId = productId; }

    const wchar_t* serialNumber() const { return itsSerialNumber.c_str(); }
    void setSerialNumber(const wchar_t* serialNr);
    const char* path() const { return itsPath.c_str(); }
    void setPath(const char* path);
    bool isPathEmpty() const { return itsPath.empty(); }

private:
    quint16 itsVendorId;
    quint16 itsProductId;
    std::wstring itsSerialNumber;
    std::string itsPath;
};

} // namespace NoxHid

#endif
