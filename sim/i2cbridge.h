#ifndef LIDORASIM_I2CBRIDGE_H
#define LIDORASIM_I2CBRIDGE_H

#include "boardanswer.h"
#include "boardrequest.h"

#include <QHash>

namespace LidoraSim
{

// The board's I2C master on the module channel, with the sensor chip as its one slave. The chip is a
// register file of bytes; multi-byte values and block reads cover consecutive registers, most significant
// byte first, as the chip's address auto-increment does. Registers never written read 0, and the chip's
// identification register reads CHIP_ID and ignores writes.
//
// Requests, after the frame header (the address takes the configured width, 1 byte unless configured):
// - 0x61 request-and-response, read: slave byte (address times 2), register address, slave byte plus 1;
//   answers exactly the accepted answer length in register bytes.
// - 0x61 fire-and-forget, write: slave byte, register address, one or more value bytes.
// - 0x6C modify: slave byte, register address, value bytes, as many mask bytes; each register keeps its bits
//   outside the mask and takes the value's bits inside it.
// - 0x62 configuration: module, address size, clock mode, custom clock speed (4 bytes).
// A request for another slave is refused with I2cNoAcknowledge and changes nothing.
class I2cBridge
{
public:
    static constexpr unsigned char TRANSFER_PROTOCOL = 0x61;
    static constexpr unsigned char CONFIGURATION_PROTOCOL = 0x62;
    static constexpr unsigned char MODIFY_PROTOCOL = 0x6C;

    static constexpr unsigned char SENSOR_SLAVE_ADDRESS = 0x40;
    static constexpr quint32 CHIP_ID_REGISTER = 0x90;
    static constexpr unsigned char CHIP_ID = 0x8E;

    struct Configuration
    {
        unsigned char module = 1;
        unsigned char addressSize = 1;
        unsigned char clockMode = 1;
        quint32 customClockSpeed = 0;
    };

    I2cBridge();

    static bool carries(unsigned char protocol);
    BoardAnswer execute(const BoardRequest& request);

    const Configuration& configuration() const { return itsConfiguration; }

    // The chip's side of the register file, past the bus: neither the read-only identification nor the
    // corruption below applies. Tests use it to stage a different chip.
    unsigned char registerValue(quint32 address) const;
    void setRegisterValue(quint32 address, unsigned char value);

    // A chip that stores every written byte inverted, so that a write's verification read fails.
    void setCorruptWrites(bool corrupt) { itsCorruptWrites = corrupt; }

private:
    BoardAnswer configure(const QByteArray& request);
    BoardAnswer read(const BoardRequest& request);
    BoardAnswer write(const QByteArray& request);
    BoardAnswer modify(const QByteArray& request);
    // Checks the slave byte and reads the register address behind it.
    BoardStatus addressRegister(const QByteArray& request, quint32& address) const;
    void storeFromBus(quint32 address, unsigned char value);

    Configuration itsConfiguration;
    QHash<quint32, unsigned char> itsRegisters;
    bool itsCorruptWrites;
};

} // namespace LidoraSim

#endif
