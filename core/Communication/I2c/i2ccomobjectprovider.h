#ifndef NOXCORE_COMMUNICATION_I2C_I2CCOMOBJECTPROVIDER_H
#define NOXCORE_COMMUNICATION_I2C_I2CCOMOBJECTPROVIDER_H

#include "Communication/frameformat.h"
#include "Communication/iregistercomobjectprovider.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

// Supplies the I2C com objects through which the register core reaches the registers of one slave. The
// objects start with one-byte addresses and values; the register descriptions set the widths they need.
class I2cComObjectProvider : public virtual IRegisterComObjectProvider
{
public:
    static constexpr unsigned int TRACE_PATTERN = 0x08000000;
    // The most a block read asks for: what one frame carries.
    static constexpr unsigned int MAX_BLOCK_SIZE = FRAME_PAYLOAD_CAPACITY;

    I2cComObjectProvider();
    ~I2cComObjectProvider() override;

    // The 7-bit address of the slave; must be set before the first object is created.
    void setConfiguration(unsigned char slaveAddress);

    IRegisterComObject* createReadRegisterObject() override;
    IRegisterComObject* createWriteRegisterObject() override;
    IModifyRegisterComObject* createModifyRegisterObject() override;
    IBlockRegisterComObject* createBlockRegisterObject() override;

private:
    bool itsIsInitialized;
    unsigned char itsSlaveAddress;
};

} // namespace I2c
} // namespace Communication
} // namespace NoxCore

#endif
