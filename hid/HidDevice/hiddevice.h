#ifndef NOXHID_HIDDEVICE_HIDDEVICE_H
#define NOXHID_HIDDEVICE_HIDDEVICE_H

#include "hiddevicebase.h"
#include "ihidconnection.h"

#include <QList>

#include <memory>
#include <string>
#include <vector>

namespace NoxHid
{

// Whole-report access to one HID interface through the process's active back end (see HidBackend).
// Finds interfaces by vendor id, product id and a substring of the interface path, opens one exclusively,
// and reads or writes one report at a time under the read and write time-outs. Reads deliver the report
// without its report-id byte; writes take it as the first byte.
//
// Used by one thread at a time; every transfer blocks that thread for up to its time-out.
class HidDevice : public HidDeviceBase
{
public:
    // Room for an interface path and its terminator.
    static constexpr unsigned int HID_PATH_SIZE = 260;
    // Enumeration looks at no more interfaces than this.
    static constexpr unsigned int HID_MAX_INTERFACES = 64;

    HidDevice();
    ~HidDevice() override;

    // Opens the interface with info's path, or with an empty path the first interface that reports
    // info's vendor and product id.
    int open(const HidDeviceInfo* info) override;
    bool isOpen() override;
    int close() override;
    int write(const unsigned char* data, unsigned int length) override;
    int read(unsigned char* buffer, unsigned int size, unsigned int* bytesRead) override;
    bool getProductString(wchar_t* buffer, unsigned int lengthInChars) override;
    int reset() override;

    // The path of the interface with this enumeration index; false past the last one.
    static bool getDevicePath(unsigned int index, char path[HID_PATH_SIZE]);
    // Opens path and keeps it only when it reports exactly these ids; null otherwise. A path that names other
    // ids is not opened at all.
    static std::unique_ptr<IHidConnection> openDevicePath(const char* path, quint16 vendorId,
                                                          quint16 productId);
    // Every interface that opens, with its ids and path; each is closed again after it has been listed, and
    // one that another holder has open is left out.
    static QList<HidDeviceInfo> listDevices();
    static QList<HidDeviceInfo> listDevices(quint16 vendorId);
    static QList<HidDeviceInfo> listDevices(quint16 vendorId, quint16 productId);
    // Only interfaces whose path contains pathFilter (case-sensitive; null: no filter).
    static QList<HidDeviceInfo> listDevices(quint16 vendorId, quint16 productId, const char* pathFilter);

private:
    struct Filter;

    static std::vector<std::string> enumeratedPaths();
    // True when the path itself names ids the filter does not take: such an interface is passed by
    // without being opened.
    static bool namesOtherIds(const std::string& path, const Filter& filter);
    static QList<HidDeviceInfo> list(const Filter& filter);
    static int resultOf(IHidConnection::Transfer transfer);

    // Null while closed.
    std::unique_ptr<IHidConnection> itsHandle;
};

} // namespace NoxHid

#endif
