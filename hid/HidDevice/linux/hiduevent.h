#ifndef NOXHID_HIDDEVICE_LINUX_HIDUEVENT_H
#define NOXHID_HIDDEVICE_LINUX_HIDUEVENT_H

#include <QByteArray>
#include <QtGlobal>

namespace NoxHid
{

// What the uevent file of a HID device in sysfs says about it: "KEY=value" lines such as
//   HID_ID=0003:00007A3C:00000C08
//   HID_NAME=Nox Sensor Systems Lidora Board
//   HID_PHYS=usb-0000:00:14.0-2/input3
// The text comes from the kernel but is read as untrusted input: a missing or malformed field only makes
// that field unavailable.
class HidUevent
{
public:
    static constexpr int NO_INTERFACE_NUMBER = -1;

    explicit HidUevent(const QByteArray& text);

    // False when HID_ID is missing or malformed; the ids are 0 then.
    bool hasIds() const;
    quint16 vendorId() const;
    quint16 productId() const;
    // HID_NAME, empty when missing.
    QByteArray name() const;
    // The USB interface number from the "inputN" end of HID_PHYS, NO_INTERFACE_NUMBER when there is none
    // (Bluetooth devices, say).
    int interfaceNumber() const;

    // Reads 1 to 8 hexadecimal digits and nothing else, at most maximum; sysfs writes ids and numbers so.
    static bool parseHex(const QByteArray& digits, quint32 maximum, quint32* value);

private:
    void parseId(const QByteArray& value);
    void parsePhys(const QByteArray& value);

    bool itsHasIds;
    quint16 itsVendorId;
    quint16 itsProductId;
    QByteArray itsName;
    int itsInterfaceNumber;
};

} // namespace NoxHid

#endif
