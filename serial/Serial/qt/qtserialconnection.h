#ifndef NOXCOM_SERIAL_QT_QTSERIALCONNECTION_H
#define NOXCOM_SERIAL_QT_QTSERIALCONNECTION_H

#include "Serial/iserialconnection.h"

#include <memory>

class QSerialPort;

namespace NoxCom
{
namespace Serial
{

// A port opened through Qt SerialPort. Qt moves bytes between the system and its own buffers only from the
// event loop or inside its waits, so every transfer here waits explicitly.
class QtSerialConnection : public virtual ISerialConnection
{
public:
    // Takes over an open port.
    explicit QtSerialConnection(std::unique_ptr<QSerialPort> port);
    ~QtSerialConnection() override;
    QtSerialConnection(const QtSerialConnection&) = delete;
    QtSerialConnection& operator=(const QtSerialConnection&) = delete;

    Transfer write(const char* data, qint64 size, int timeoutMs) override;
    Transfer read(char* data, qint64 size, int timeoutMs, qint64* count) override;
    void clear() override;

private:
    // Waits until Qt has handed every buffered byte to the system or the time-out has passed.
    bool waitUntilWritten(int timeoutMs);
    // A time-out leaves the port ready for the next transfer; any other error means it is gone.
    Transfer failure();

    std::unique_ptr<QSerialPort> itsPort;
};

} // namespace Serial
} // namespace NoxCom

#endif
