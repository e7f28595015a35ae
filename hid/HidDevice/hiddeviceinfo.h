#ifndef NOXHID_HIDDEVICE_HIDDEVICEINFO_H
#define NOXHID_HIDDEVICE_HIDDEVICEINFO_H

#include <QtGlobal>

#include <string>

namespace NoxHid
{

// Describes one HID interface: vendor and product id, serial number and the platform's interface path.
// Owns copies of both strings.
class HidDeviceInfo
{
public:
    HidDeviceInfo();
    HidDeviceInfo(quint16 vendorId, quint16 productId);
    HidDeviceInfo(const HidDeviceInfo& other);
    HidDeviceInfo& operator=(const HidDeviceInfo& other);
    virtual ~HidDeviceInfo();

    quint16 vendorId() const;
    quint16 productId() const;
    const wchar_t* serialNumber() const;
    void setSerialNumber(const wchar_t* serialNumber);
    const char* path() const;
    void setPath(const char* path);

    bool isPathEmpty() const;
    bool isSerialNumberEmpty() const;

    // Describes another device: new ids, both strings empty.
    void set(quint16 vendorId, quint16 productId);
    void clear();

private:
    quint16 itsVendorId;
    quint16 itsProductId;
    std::wstring itsSerialNumber;
    std::string itsPath;
};

} // namespace NoxHid

#endif
