#include "qtserialbackend.h"

#include "qtserialconnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

namespace NoxCom
{
namespace Serial
{

QList<SerialComDeviceInfo> QtSerialBackend::presentPorts(quint16 vendorId)
{
    // The state manager retries a closed port every 500 ms on the GUI thread, and Qt's full listing asks
    // udev about every tty of the machine (some 20 ms here). Without a USB serial port of the board's
    // vendor there is nothing to list.
    if (!isUsbPortOfVendorPresent(vendorId))
        return {};
    QList<SerialComDeviceInfo> ports;
    for (const QSerialPortInfo& system : QSerialPortInfo::availablePorts())
    {
        SerialComDeviceInfo port(system.vendorIdentifier(), system.productIdentifier());
        port.setPort(system.portName());
        port.setManufacturer(system.manufacturer());
        port.setDescription(system.description());
        ports.append(port);
    }
    return ports;
}

std::unique_ptr<ISerialConnection> QtSerialBackend::open(const QString& name, QString* failure)
{
    auto port = std::make_unique<QSerialPort>(name);
    port->setBaudRate(BOARD_BAUD_RATE);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::TwoStop);
    port->setReadBufferSize(READ_BUFFER_SIZE);
    if (port->open(QIODevice::ReadWrite))
        return std::make_unique<QtSerialConnection>(std::move(port));
    *failure = port->errorString() + '.';
    if (port->error() == QSerialPort::PermissionError)
        *failure += " The user needs read and write access to it (on Debian the group dialout owns "
                    "/dev/ttyACM*; add the user to it and log in again), and no other program may hold it.";
    return nullptr;
}

bool QtSerialBackend::isUsbPortOfVendorPresent(quint16 vendorId)
{
    const QDir ttys(QStringLiteral("/sys/class/tty"));
    if (vendorId == 0 || !ttys.exists())
        return true;
    for (const QString& name : ttys.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
    {
        // A USB serial port's device is its USB interface; the USB device above it holds the vendor id.
        const QString device = QFileInfo(ttys.filePath(name + QStringLiteral("/device"))).canonicalFilePath();
        if (device.isEmpty())
            continue;
        QFile idVendor(device + QStringLiteral("/../idVendor"));
        bool ok = false;
        if (idVendor.open(QIODevice::ReadOnly) &&
            idVendor.readAll().trimmed().toUShort(&ok, 16) == vendorId && ok)
            return true;
    }
    return false;
}

} // namespace Serial
} // namespace NoxCom
