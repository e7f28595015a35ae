#ifndef NOXCOM_SERIAL_ISERIALBACKEND_H
#define NOXCOM_SERIAL_ISERIALBACKEND_H

#include "Serial/iserialconnection.h"
#include "Serial/serialcomdeviceinfo.h"

#include <QList>
#include <QString>

#include <memory>

namespace NoxCom
{
namespace Serial
{

// What SerialComDriver needs of a platform: the serial ports present, and one of them opened at the
// board's line setting (19200 baud, 8 data bits, no parity, two stop bits, no flow control). The driver keeps
// the selection and the result codes; a back end only finds and moves. Qt SerialPort serves on Linux,
// the Win32 communications API on Windows.
class ISerialBackend
{
public:
    // The board's firmware runs its CDC port at a fixed line setting.
    static constexpr qint32 BOARD_BAUD_RATE = 19200;
    // What a port keeps of bytes nobody has read yet. The stack holds the board's port open and never
    // reads it, while the board may talk on it all day; beyond this the bytes wait in the system's
    // buffer, and the board's own flow control holds the rest back.
    static constexpr qint64 READ_BUFFER_SIZE = 64 * 1024;

    virtual ~ISerialBackend() = default;

    // Every port present now, with its name, ids and texts, unfiltered. vendorId (0: any) lets a back end
    // skip a slow full listing when no port of that vendor can be there.
    virtual QList<SerialComDeviceInfo> presentPorts(quint16 vendorId) = 0;
    // Opens the port of this name exclusively; null when it cannot, with *failure saying why, as a
    // sentence for the user that ends with a full stop.
    virtual std::unique_ptr<ISerialConnection> open(const QString& name, QString* failure) = 0;
};

} // namespace Serial
} // namespace NoxCom

#endif
