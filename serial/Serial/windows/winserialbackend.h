#ifndef NOXCOM_SERIAL_WINDOWS_WINSERIALBACKEND_H
#define NOXCOM_SERIAL_WINDOWS_WINSERIALBACKEND_H

#include "Serial/iserialbackend.h"
#include "iwinserialapi.h"

namespace NoxCom
{
namespace Serial
{

// Serial ports on Windows: SetupAPI's Ports class lists them with the names ("COM5"), ids and texts that
// Windows' own CDC driver gives the board's port; they open as \\.\COM5 (the only spelling that also
// reaches COM10 and above), shared with nobody, for overlapped I/O. Wine's Ports class is empty: there the
// ports are those Wine registered, described by the Linux USB device their terminal belongs to.
class WinSerialBackend : public virtual ISerialBackend
{
public:
    explicit WinSerialBackend(IWinSerialApi& api);

    QList<SerialComDeviceInfo> presentPorts(quint16 vendorId) override;
    std::unique_ptr<ISerialConnection> open(const QString& name, QString* failure) override;

    // The vendor and product id in a hardware id such as "USB\VID_7A3C&PID_0C08&REV_0100&MI_00"; 0 for
    // each that it does not name.
    static void idsFromHardwareId(const QString& hardwareId, quint16* vendorId, quint16* productId);

private:
    QList<SerialComDeviceInfo> classPorts();
    QList<SerialComDeviceInfo> winePorts(quint16 vendorId);
    SerialComDeviceInfo describeWinePort(const QString& name, const QString& terminal);
    bool describePort(IWinSerialApi::DeviceSet set, quint32 index, SerialComDeviceInfo* port, bool* isPort);
    QString property(IWinSerialApi::DeviceSet set, IWinSerialApi::DeviceData* data,
                     IWinSerialApi::Property which);

    IWinSerialApi& itsApi;
};

} // namespace Serial
} // namespace NoxCom

#endif
