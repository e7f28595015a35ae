#ifndef NOXCOM_SERIAL_SERIALCOMDEVICEINFO_H
#define NOXCOM_SERIAL_SERIALCOMDEVICEINFO_H

#include <QString>
#include <QtGlobal>

namespace NoxCom
{
namespace Serial
{

// Describes one serial port as the system reports it. The same class serves as the filter that picks the
// board's port: ids of 0 and empty texts there mean "any".
class SerialComDeviceInfo
{
public:
    SerialComDeviceInfo();
    SerialComDeviceInfo(quint16 vendorId, quint16 productId);
    virtual ~SerialComDeviceInfo();

    // The name the system gives the port, "ttyACM0" on Linux, "COM3" on Windows; a full device path such as
    // "/dev/pts/4" names a port as well.
    QString port() const;
    void setPort(const QString& port);
    QString manufacturer() const;
    void setManufacturer(const QString& manufacturer);
    QString description() const;
    void setDescription(const QString& description);
    quint16 vendorId() const;
    void setVendorId(quint16 vendorId);
    quint16 productId() const;
    void setProductId(quint16 productId);
    qint16 portNumber() const;
    void setPortNumber(qint16 portNumber);

    // One line for logs: "COM Device:" and the five fields, each as two spaces, a label and the value
    // ("  Vendor ID: 31292"), the ids in decimal.
    QString toString() const;

    // True when this port passes filter: a non-zero id must be equal, a non-empty text must occur in this
    // port's text (case-sensitive).
    bool passes(const SerialComDeviceInfo& filter) const;

    // The port number in a port name: the decimal digits at its end once every "COM" is removed, so that
    // "COM3" and "ttyACM3" both give 3. False for a name without such digits ("ttyS", "COMX") or with a
    // number too large for the field.
    static bool portNumberFromName(const QString& name, qint16* number);

private:
    QString itsPort;
    QString itsManufacturer;
    QString itsDescription;
    quint16 itsVendorId;
    quint16 itsProductId;
    qint16 itsPortNumber;
};

} // namespace Serial
} // namespace NoxCom

#endif
