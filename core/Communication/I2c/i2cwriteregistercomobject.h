#ifndef NOXCORE_COMMUNICATION_I2C_I2CWRITEREGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_I2C_I2CWRITEREGISTERCOMOBJECT_H

#include "Communication/ixmlserializable.h"
#include "Communication/registercomobject.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

// Writes one register of an I2C slave; the target does not answer.
//
// Request: slave address times 2, the register address (addressByteWidth bytes), the value (valueByteWidth
// bytes), big-endian.
class I2cWriteRegisterComObject : public RegisterComObject, public virtual IXmlSerializable
{
public:
    static constexpr unsigned char PROTOCOL = 0x61;

    I2cWriteRegisterComObject(unsigned char slaveAddress, unsigned int registerAddress,
                              unsigned int registerValue, unsigned int tracePattern,
                              unsigned int addressByteWidth, unsigned int valueByteWidth);
    I2cWriteRegisterComObject(const I2cWriteRegisterComObject& other);
    ~I2cWriteRegisterComObject() override;

    unsigned char i2cSlaveAddress() const;

    IComObject* clone() override;
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // A write has no answer: calling this is a programming error.
    bool deserialize(unsigned char* data, unsigned int size) override;
    bool xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType) override;
    // False, and nothing taken over, when a parameter is missing or does not parse.
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
