#include "serialcomdriver.h"

#include "Tools/noxassert.h"

#ifdef Q_OS_WIN
#include "windows/winserialapi.h"
#include "windows/winserialbackend.h"
#else
#include "qt/qtserialbackend.h"
#endif

#include <QtDebug>

namespace NoxCom
{
namespace Serial
{

SerialComDriver::SerialComDriver(const SerialComDeviceInfo& info) : SerialComDriver(info, platformBackend())
{
}

SerialComDriver::SerialComDriver(const SerialComDeviceInfo& info, ISerialBackend& backend)
    : itsBackend(backend), itsDeviceInfo(info), itsWaitForReadyRead(true), itsTimeout(DEFAULT_TIMEOUT_MS)
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
    QString failure;
    itsPort = itsBackend.open(name, &failure);
    if (!itsPort)
    {
        reportOpenFailure(name, failure);
        return false;
    }
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
    return itsPort != nullptr;
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
    if (itsPort)
        itsPort->clear();
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
        return failTransfer(TRANSMIT_FAILED, ISerialConnection::Transfer::Failed);
    const ISerialConnection::Transfer transfer = itsPort->write(data, size, itsTimeout);
    return transfer == ISerialConnection::Transfer::Done ? size : failTransfer(TRANSMIT_FAILED, transfer);
}

qint64 SerialComDriver::readBytes(char* data, qint64 size)
{
    if (!itsPort)
        return failTransfer(RECEIVE_FAILED, ISerialConnection::Transfer::Failed);
    qint64 count = 0;
    const ISerialConnection::Transfer transfer =
        itsPort->read(data, size, itsWaitForReadyRead ? itsTimeout : 0, &count);
    return transfer == ISerialConnection::Transfer::Done ? count : failTransfer(RECEIVE_FAILED, transfer);
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
    return selectDevices(platformBackend().presentPorts(filter != nullptr ? filter->vendorId() : 0), filter);
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
    return itsBackend.presentPorts(itsDeviceInfo.vendorId());
}

ISerialBackend& SerialComDriver::platformBackend()
{
#ifdef Q_OS_WIN
    static WinSerialApi api;
    static WinSerialBackend backend(api);
#else
    static QtSerialBackend backend;
#endif
    return backend;
}

qint64 SerialComDriver::failTransfer(int code, ISerialConnection::Transfer transfer)
{
    itsLastError = code;
    if (itsPort && transfer == ISerialConnection::Transfer::Failed)
        releasePort();
    return code;
}

void SerialComDriver::releasePort()
{
    itsPort.reset();
    itsIsOpen = false;
}

void SerialComDriver::reportOpenFailure(const QString& name, const QString& failure)
{
    // Named as listed: QSerialPort reports "pts/4" for "/dev/pts/4".
    const QString text = QString("Cannot open serial port %1: %2").arg(name, failure);
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
