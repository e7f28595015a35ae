#ifndef NOXCORE_COMMUNICATION_I2C_I2CMODIFYREGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_I2C_I2CMODIFYREGISTERCOMOBJECT_H

#include "Communication/ixmlserializable.h"
#include "Communication/modifyregistercomobject.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

// Lets the target read a register of an I2C slave, replace the bits selected by the mask with those of the
// value and write it back, in one transfer without answer.
//
// Request: slave address times 2, the register address (addressByteWidth bytes), the value, the mask (each
// valueByteWidth bytes), big-endian.
class I2cModifyRegisterComObject : public ModifyRegisterComObject, public virtual IXmlSerializable
{
public:
    static constexpr unsigned char PROTOCOL = 0x6C;

    I2cModifyRegisterComObject(unsigned char slaveAddress, unsigned int registerAddress,
                               unsigned int registerValue, unsigned int mask, unsigned int tracePattern,
                               unsigned int addressByteWidth, unsigned int valueByteWidth);
    I2cModifyRegisterComObject(const I2cModifyRegisterComObject& other);
    ~I2cModifyRegisterComObject() override;

    unsigned char i2cSlaveAddress() const;

    IComObject* clone() override;
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // A modify has no answer: calling this is a programming error.
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
