#ifndef NOXHID_HIDDEVICE_LINUX_HIDRAWCONNECTION_H
#define NOXHID_HIDDEVICE_LINUX_HIDRAWCONNECTION_H

#include "HidDevice/ihidconnection.h"
#include "hidreportdescriptor.h"

#include <QByteArray>

namespace NoxHid
{

// One opened hidraw node. Works on the file descriptor alone, so anything that moves reports as datagrams
// (a SOCK_SEQPACKET socket in the tests) can stand in for the node. Owns the descriptor: closing it also
// releases the exclusive lock that HidrawBackend took.
//
// Time-outs are waited for with poll(), because a read on a hidraw node that has no report waits forever.
// A vanished device shows up as a hang-up or error from poll(), EIO from read() and ENODEV from write()
// and ioctl(); every one of them fails the transfer or the product-string query, which is how the HID com
// driver notices an unplug.
class HidrawConnection : public virtual IHidConnection
{
public:
    // fd: an open, non-blocking node. name: the device name from sysfs, used where the node cannot be asked.
    HidrawConnection(int fd, quint16 vendorId, quint16 productId, const HidReportDescriptor& descriptor,
                     const QByteArray& name);
    ~HidrawConnection() override;
    HidrawConnection(const HidrawConnection&) = delete;
    HidrawConnection& operator=(const HidrawConnection&) = delete;

    quint16 vendorId() const override;
    quint16 productId() const override;
    quint16 inputReportLength() const override;
    quint16 outputReportLength() const override;
    bool productString(std::wstring* text) override;
    Transfer read(unsigned char* buffer, unsigned int size, unsigned int timeoutMs,
                  unsigned int* transferred) override;
    Transfer write(const unsigned char* data, unsigned int length, unsigned int timeoutMs) override;

private:
    int itsFd;
    quint16 itsVendorId;
    quint16 itsProductId;
    HidReportDescriptor itsDescriptor;
    QByteArray itsName;
};

} // namespace NoxHid

#endif
