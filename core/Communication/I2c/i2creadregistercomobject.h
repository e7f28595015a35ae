#ifndef NOXCORE_COMMUNICATION_I2C_I2CREADREGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_I2C_I2CREADREGISTERCOMOBJECT_H

#include "Communication/ixmlserializable.h"
#include "Communication/registercomobject.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

// Reads one register of an I2C slave.
//
// Request: slave address times 2, the register address (addressByteWidth bytes), slave address times 2
// plus 1. Answer: the value, valueByteWidth bytes, big-endian.
class I2cReadRegisterComObject : public RegisterComObject, public virtual IXmlSerializable
{
public:
    static constexpr unsigned char PROTOCOL = 0x61;

    // The value starts at 0.
    I2cReadRegisterComObject(unsigned char slaveAddress, unsigned int registerAddress,
                             unsigned int tracePattern, unsigned int addressByteWidth,
                             unsigned int valueByteWidth);
    I2cReadRegisterComObject(const I2cReadRegisterComObject& other);
    ~I2cReadRegisterComObject() override;

    unsigned char i2cSlaveAddress() const;

    IComObject* clone() override;
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // An answer too short for the value leaves the value as it was and the object not valid: the stream has
    // already taken the target's status, which would otherwise pass a missing value as a good one.
    bool deserialize(unsigned char* data, unsigned int size) override;
    bool xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType) override;
    // Takes the value over only from a telegram that carries one (a response).
    bool xmlDeserialize(QXmlStreamReader* reader) override;

protected:
    void adjustSizesToWidths() override;

private:
    unsigned char itsSlaveAddress;
};

} // namespace I2c
} // namespace Communication
} // namespace NoxCore

#endif
