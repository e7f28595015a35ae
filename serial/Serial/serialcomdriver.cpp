#include "serialcomdriver.h"

#include "Tools/noxassert.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QtDebug>

namespace NoxCom
{
namespace Serial
{

namespace
{

// The board's firmware runs its CDC port at a fixed line setting.
const qint32 BAUD_RATE = 19200;

} // namespace

SerialComDriver::SerialComDriver(const SerialComDeviceInfo& info)
    : itsDeviceInfo(info), itsWaitForReadyRead(true), itsTimeout(DEFAULT_TIMEOUT_MS)
{
}

SerialComDriver::~SerialComDriver()
{
    if (itsPort)
        releasePort();
}

bool SerialComDriver::open()
{
    if (itsPort)
        return false;
    const QList<SerialComDeviceInfo> devices = selectDevices(presentPorts(), &itsDeviceInfo);
    if (devices.isEmpty())
        return false;
    const QString name = devices.first().port();
    auto port = std::make_unique<QSerialPort>(name);
    port->setBaudRate(BAUD_RATE);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::TwoStop);
    port->setReadBufferSize(READ_BUFFER_SIZE);
    if (!port->open(QIODevice::ReadWrite))
    {
        reportOpenFailure(name, *port);
        return false;
    }
    itsPort = std::move(port);
    itsIsOpen = true;
    itsReportedOpenFailure.clear();
    return true;
}

bool SerialComDriver::close()
{
    if (!itsPort)
        return false;
    releasePort();
    return true;
}

bool SerialComDriver::isOpen()
{
    return itsPort && itsPort->isOpen();
}

int SerialComDriver::flush()
{
    rejectUnsupported();
}

int SerialComDriver::write(const unsigned char*, unsigned int)
{
    rejectUnsupported();
}

int SerialComDriver::read(unsigned char*, unsigned int)
{
    rejectUnsupported();
}

int SerialComDriver::updateDeviceState()
{
    rejectUnsupported();
}

void SerialComDriver::abortTransfer()
{
    rejectUnsupported();
}

void SerialComDriver::resetBuffers()
{
    if (!itsPort)
        return;
    itsPort->clear(QSerialPort::AllDirections);
    itsPort->clearError();
}

void SerialComDriver::setDeviceInfo(const SerialComDeviceInfo& info)
{
    itsDeviceInfo = info;
}

SerialComDeviceInfo SerialComDriver::deviceInfo() const
{
    return itsDeviceInfo;
}

qint64 SerialComDriver::writeBytes(const char* data, qint64 size)
{
    if (!itsPort)
        return failTransfer(TRANSMIT_FAILED);
    const qint64 count = itsPort->write(data, size);
    if (count >= 0 && waitUntilWritten())
        return count;
    const qint64 result = failTransfer(TRANSMIT_FAILED);
    // What did not leave in time would otherwise go out in front of the next write.
    if (itsPort)
        itsPort->clear(QSerialPort::Output);
    return result;
}

qint64 SerialComDriver::readBytes(char* data, qint64 size)
{
    if (!itsPort)
        return failTransfer(RECEIVE_FAILED);
    // Qt moves arrived bytes into its buffer only from the event loop or inside a wait. A wait of 0 ms
    // picks up what the system already holds, so a read without waiting does not depend on the event loop
    // having run since the board sent.
    if (itsPort->bytesAvailable() == 0 && !itsPort->waitForReadyRead(itsWaitForReadyRead ? itsTimeout : 0))
    {
        if (itsWaitForReadyRead || itsPort->error() != QSerialPort::TimeoutError)
            return failTransfer(RECEIVE_FAILED);
        itsPort->clearError();
    }
    const qint64 count = itsPort->read(data, size);
    if (count < 0 || itsPort->error() != QSerialPort::NoError)
        return failTransfer(RECEIVE_FAILED);
    return count;
}

void SerialComDriver::setWaitForReadyRead(bool waitForReadyRead)
{
    itsWaitForReadyRead = waitForReadyRead;
}

bool SerialComDriver::waitForReadyRead() const
{
    return itsWaitForReadyRead;
}

void SerialComDriver::setTimeout(int timeoutMs)
{
    itsTimeout = timeoutMs;
}

int SerialComDriver::timeout() const
{
    return itsTimeout;
}

QList<SerialComDeviceInfo> SerialComDriver::listDevices(const SerialComDeviceInfo* filter)
{
    return selectDevices(systemPorts(), filter);
}

QList<SerialComDeviceInfo> SerialComDriver::selectDevices(const QList<SerialComDeviceInfo>& ports,
                                                          const SerialComDeviceInfo* filter)
{
    QList<SerialComDeviceInfo> devices;
    for (SerialComDeviceInfo port : ports)
    {
        qint16 portNumber = 0;
        if (!SerialComDeviceInfo::portNumberFromName(port.port(), &portNumber))
            continue;
        if (filter && !port.passes(*filter))
            continue;
        port.setPortNumber(portNumber);
        devices.append(port);
    }
    return devices;
}

QList<SerialComDeviceInfo> SerialComDriver::presentPorts() const
{
    // The state manager retries a closed port every 500 ms on the GUI thread, and Qt's full listing asks
    // udev about every tty of the machine (some 20 ms here). Without a USB serial port of the board's
    // vendor there is nothing to list.
    if (!isUsbPortOfVendorPresent(itsDeviceInfo.vendorId()))
        return {};
    return systemPorts();
}

bool SerialComDriver::isUsbPortOfVendorPresent(quint16 vendorId)
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

QList<SerialComDeviceInfo> SerialComDriver::systemPorts()
{
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

bool SerialComDriver::waitUntilWritten()
{
    // One wait hands Qt's buffer to the system once; a write larger than what the system takes at a time
    // needs several, or its tail would wait in Qt's buffer for an event loop.
    const QDeadlineTimer deadline(itsTimeout);
    while (itsPort->bytesToWrite() > 0)
    {
        if (!itsPort->waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    return itsPort->error() == QSerialPort::NoError;
}

qint64 SerialComDriver::failTransfer(int code)
{
    itsLastError = code;
    if (!itsPort)
        return code;
    // A hung-up port (the board unplugged) shows as a read or write error, never as a time-out. Keeping it
    // would hold a dead device node while the board comes back under a new one.
    const QSerialPort::SerialPortError error = itsPort->error();
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        itsPort->clearError();
    else
        releasePort();
    return code;
}

void SerialComDriver::releasePort()
{
    itsPort->close();
    itsPort.reset();
    itsIsOpen = false;
}

void SerialComDriver::reportOpenFailure(const QString& name, const QSerialPort& port)
{
    // Named as listed: QSerialPort reports "pts/4" for "/dev/pts/4".
    QString text = QString("Cannot open serial port %1: %2.").arg(name, port.errorString());
    if (port.error() == QSerialPort::PermissionError)
        text += " The user needs read and write access to it (on Debian the group dialout owns /dev/ttyACM*; "
                "add the user to it and log in again), and no other program may hold it.";
    if (text == itsReportedOpenFailure)
        return;
    itsReportedOpenFailure = text;
    qWarning().noquote() << text;
}

void SerialComDriver::rejectUnsupported() const
{
    NOX_ASSERT(false, "not implemented.");
}

} // namespace Serial
} // namespace NoxCom
