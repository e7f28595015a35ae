#ifndef NOXCOM_SERIAL_SERIALCOMDRIVER_H
#define NOXCOM_SERIAL_SERIALCOMDRIVER_H

#include "Serial/iserialbackend.h"
#include "Serial/serialcomdeviceinfo.h"

#include "Communication/comdriver.h"

#include <QList>
#include <QString>

#include <memory>

namespace NoxCom
{
namespace Serial
{

// Raw byte access to the board's USB serial (CDC) port. open() takes the first port the system reports
// that passes the device info given at construction and sets it to 19200 baud, 8 data bits, no parity,
// two stop bits. The driver owns its port while open; the stream operations of IComDriver (flush, write,
// read) are not offered: the board speaks no stream frames on this port, so writeBytes and readBytes move
// the bytes as they are. One thread at a time; transfers block for up to timeout() ms.
//
// The platform is reached through a serial back end: Qt SerialPort on Linux, the Win32 communications API
// on Windows.
class SerialComDriver : public NoxCore::Communication::ComDriver
{
public:
    static const int DEFAULT_TIMEOUT_MS = 30000;

    // On the platform's serial back end.
    explicit SerialComDriver(const SerialComDeviceInfo& info);
    // On backend, which must outlive the driver.
    SerialComDriver(const SerialComDeviceInfo& info, ISerialBackend& backend);
    // Releases a port that is still open, so that it is unlocked for the next driver.
    ~SerialComDriver() override;

    // False when a port is already open, no port passes the filter, or the port cannot be opened (a warning
    // names the port and the reason).
    bool open() override;
    // False when no port is open.
    bool close() override;
    bool isOpen() override;

    // Not offered; each stops the program.
    int flush() override;
    int write(const unsigned char* data, unsigned int size) override;
    int read(unsigned char* data, unsigned int size) override;
    int updateDeviceState() override;
    void abortTransfer() override;

    // Discards what the port holds in either direction; called by lastError().
    void resetBuffers() override;

    // Takes effect on the next open().
    void setDeviceInfo(const SerialComDeviceInfo& info);
    SerialComDeviceInfo deviceInfo() const;

    // Returns size once every byte has left, waiting up to timeout() ms; TRANSMIT_FAILED otherwise. Bytes
    // not sent in time are dropped so that they do not go out in front of the next write.
    qint64 writeBytes(const char* data, qint64 size);
    // Returns up to size bytes that have arrived. With waitForReadyRead() it waits up to timeout() ms for
    // the first byte and fails with RECEIVE_FAILED when none comes; without, it returns 0 when nothing is
    // there. A port that has gone away fails both transfers and is closed, so that isOpen() tells the
    // state manager to open it again.
    qint64 readBytes(char* data, qint64 size);

    void setWaitForReadyRead(bool waitForReadyRead);
    bool waitForReadyRead() const;
    // For writes and reads alike; -1 waits without limit.
    void setTimeout(int timeoutMs);
    int timeout() const;

    // The ports the system reports that pass filter (every numbered port when filter is null).
    static QList<SerialComDeviceInfo> listDevices(const SerialComDeviceInfo* filter);
    // The entries of ports, in their order, whose name gives a port number and that pass filter, each with
    // its port number set.
    static QList<SerialComDeviceInfo> selectDevices(const QList<SerialComDeviceInfo>& ports,
                                                    const SerialComDeviceInfo* filter);

protected:
    // Every port the system reports now, unfiltered. Tests put a pseudo terminal here.
    virtual QList<SerialComDeviceInfo> presentPorts() const;

private:
    static ISerialBackend& platformBackend();
    // Stores code as the last error; closes the port when the failure was more than a time-out, so that a
    // dead device is not held while the board comes back under a new one.
    qint64 failTransfer(int code, ISerialConnection::Transfer transfer);
    void releasePort();
    void reportOpenFailure(const QString& name, const QString& failure);
    [[noreturn]] void rejectUnsupported() const;

    ISerialBackend& itsBackend;
    SerialComDeviceInfo itsDeviceInfo;
    std::unique_ptr<ISerialConnection> itsPort;
    bool itsWaitForReadyRead;
    int itsTimeout;
    // The last open failure warned about; the state manager retries every 500 ms and one warning is
    // enough until something changes.
    QString itsReportedOpenFailure;
};

} // namespace Serial
} // namespace NoxCom

#endif
