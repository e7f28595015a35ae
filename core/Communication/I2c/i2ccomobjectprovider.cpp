#include "i2ccomobjectprovider.h"

#include "Tools/noxassert.h"
#include "i2cblockreadregistercomobject.h"
#include "i2cmodifyregistercomobject.h"
#include "i2creadregistercomobject.h"
#include "i2cwriteregistercomobject.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

namespace
{

const unsigned int ONE_BYTE = 1;

} // namespace

I2cComObjectProvider::I2cComObjectProvider() : itsIsInitialized(false), itsSlaveAddress(0) {}

I2cComObjectProvider::~I2cComObjectProvider() = default;

void I2cComObjectProvider::setConfiguration(unsigned char slaveAddress)
{
    itsSlaveAddress = slaveAddress;
    itsIsInitialized = true;
}

IRegisterComObject* I2cComObjectProvider::createReadRegisterObject()
{
    NOX_ASSERT(itsIsInitialized, "ComObjectProvider is not initialized.");
    return new I2cReadRegisterComObject(itsSlaveAddress, 0, TRACE_PATTERN, ONE_BYTE, ONE_BYTE);
}

IRegisterComObject* I2cComObjectProvider::createWriteRegisterObject()
{
    NOX_ASSERT(itsIsInitialized, "ComObjectProvider is not initialized.");
    return new I2cWriteRegisterComObject(itsSlaveAddress, 0, 0, TRACE_PATTERN, ONE_BYTE, ONE_BYTE);
}

IModifyRegisterComObject* I2cComObjectProvider::createModifyRegisterObject()
{
    NOX_ASSERT(itsIsInitialized, "ComObjectProvider is not initialized.");
    return new I2cModifyRegisterComObject(itsSlaveAddress, 0, 0, 0, TRACE_PATTERN, ONE_BYTE, ONE_BYTE);
}

IBlockRegisterComObject* I2cComObjectProvider::createBlockRegisterObject()
{
    NOX_ASSERT(itsIsInitialized, "ComObjectProvider is not initialized.");
    return new I2cBlockReadRegisterComObject(itsSlaveAddress, 0, ONE_BYTE, nullptr, ONE_BYTE, ONE_BYTE,
                                             MAX_BLOCK_SIZE, TRACE_PATTERN);
}

} // namespace I2c
} // namespace Communication
} // namespace NoxCore
