#ifndef NOXCORE_COMMUNICATION_I2C_I2CBLOCKREADREGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_I2C_I2CBLOCKREADREGISTERCOMOBJECT_H

#include "Communication/iblockregistercomobject.h"
#include "Communication/ixmlserializable.h"
#include "Communication/serializablecomobject.h"

#include <vector>

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

// Reads the bytes of consecutive registers of an I2C slave in one transfer; the slave's address
// auto-increment walks through them.
//
// Request: slave address times 2, the start address (addressByteWidth bytes), slave address times 2 plus
// 1. Answer: dataSize bytes.
class I2cBlockReadRegisterComObject : public SerializableComObject,
                                      public virtual IBlockRegisterComObject,
                                      public virtual IXmlSerializable
{
public:
    static constexpr unsigned char PROTOCOL = 0x61;

    // The object holds at most maxDataSize bytes; dataSize must not be larger. With data, its first dataSize
    // bytes are taken over.
    I2cBlockReadRegisterComObject(unsigned char slaveAddress, unsigned int startAddress,
                                  unsigned int dataSize, const unsigned char* data, unsigned int blockSize,
                                  unsigned int addressByteWidth, unsigned int maxDataSize,
                                  unsigned int tracePattern);
    I2cBlockReadRegisterComObject(const I2cBlockReadRegisterComObject& other);
    ~I2cBlockReadRegisterComObject() override;

    unsigned char i2cSlaveAddress() const;
    unsigned int maxDataSize() const;

    const unsigned char* data() const override;
    unsigned int dataSize() const override;
    // Sizes above maxDataSize are cut to it.
    void setDataSize(unsigned int size) override;
    // Copies dataSize bytes; data must not be null.
    void setData(const unsigned char* data);
    void setData(const unsigned char* data, unsigned int size) override;
    unsigned int blockSize() const override;
    void setBlockSize(unsigned int size) override;
    unsigned int startAddress() const override;
    void setStartAddress(unsigned int address) override;
    unsigned int addressByteWidth() const override;
    void setAddressByteWidth(unsigned int width) override;

    IComObject* clone() override;
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // Only an answer of exactly dataSize bytes is taken. A shorter one leaves the data as it was and the
    // object not valid: its bytes would otherwise land on the wrong registers, and the register layer
    // refuses a block whose size changed.
    bool deserialize(unsigned char* data, unsigned int size) override;
    bool xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType) override;
    // False, and nothing taken over, when a parameter is missing or does not parse, the block size exceeds
    // the largest block size, or the data do not have the block size.
    bool xmlDeserialize(QXmlStreamReader* reader) override;

private:
    unsigned char itsSlaveAddress;
    unsigned int itsAddressByteWidth;
    unsigned int itsDataSize;
    unsigned int itsBlockSize;
    unsigned int itsMaxDataSize;
    unsigned int itsStartAddress;
    std::vector<unsigned char> itsData;
};

} // namespace I2c
} // namespace Communication
} // namespace NoxCore

#endif
