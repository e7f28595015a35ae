#ifndef NOXCOM_SERIAL_QT_QTSERIALBACKEND_H
#define NOXCOM_SERIAL_QT_QTSERIALBACKEND_H

#include "Serial/iserialbackend.h"

namespace NoxCom
{
namespace Serial
{

// Serial ports through Qt SerialPort, as the Linux build has them.
class QtSerialBackend : public virtual ISerialBackend
{
public:
    QList<SerialComDeviceInfo> presentPorts(quint16 vendorId) override;
    std::unique_ptr<ISerialConnection> open(const QString& name, QString* failure) override;

private:
    // A quick look at the system's USB serial ports before the full listing; true where it cannot tell.
    static bool isUsbPortOfVendorPresent(quint16 vendorId);
};

} // namespace Serial
} // namespace NoxCom

#endif
