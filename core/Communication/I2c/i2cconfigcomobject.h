#ifndef NOXCORE_COMMUNICATION_I2C_I2CCONFIGCOMOBJECT_H
#define NOXCORE_COMMUNICATION_I2C_I2CCONFIGCOMOBJECT_H

#include "Communication/ixmlserializable.h"
#include "Communication/serializablecomobject.h"

#include <QString>

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

// Configures the target's I2C master: which of its modules, and the bus clock. Sent without answer.
//
// Request: module, address size (always 1), clock mode, custom clock speed (4 bytes, big-endian).
class I2cConfigComObject : public SerializableComObject, public virtual IXmlSerializable
{
public:
    static constexpr unsigned char PROTOCOL = 0x62;
    static constexpr unsigned int REQUEST_SIZE = 7;
    // Clock modes the target knows; with CLOCK_CUSTOM the custom clock speed gives the speed.
    static constexpr unsigned char CLOCK_100KHZ = 1;
    static constexpr unsigned char CLOCK_400KHZ = 2;
    static constexpr unsigned char CLOCK_1MHZ = 3;
    static constexpr unsigned char CLOCK_3_4MHZ = 4;
    static constexpr unsigned char CLOCK_CUSTOM = 255;

    // The target has I2C modules 1 and 2; any other module number becomes 1.
    I2cConfigComObject(unsigned char module, unsigned char clockMode, unsigned int customClockSpeed,
                       unsigned int tracePattern);
    I2cConfigComObject(const I2cConfigComObject& other);
    ~I2cConfigComObject() override;

    // "100KHz", "400KHz", "1MHz", "3.4MHz", "custom speed" or "unknown".
    static QString clockModeToFrequency(unsigned char clockMode);

    unsigned char module() const;
    unsigned char clockMode() const;
    unsigned int customClockSpeed() const;

    IComObject* clone() override;
    // A null buffer is a programming error.
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // The configuration has no answer: calling this is a programming error.
    bool deserialize(unsigned char* data, unsigned int size) override;
    bool xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType) override;
    // False, and nothing taken over, when a parameter is missing or does not parse, or the address size is
    // not 1.
    bool xmlDeserialize(QXmlStreamReader* reader) override;

private:
    static unsigned char supportedModule(unsigned char module);

    unsigned char itsModule;
    unsigned char itsClockMode;
    unsigned int itsCustomClockSpeed;
};

} // namespace I2c
} // namespace Communication
} // namespace NoxCore

#endif
