#ifndef NOXCORE_COMMUNICATION_IBLOCKREGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_IBLOCKREGISTERCOMOBJECT_H

#include "icomobject.h"

namespace NoxCore
{
namespace Communication
{

// A com object that reads the bytes of consecutive registers in one transfer.
class IBlockRegisterComObject : public virtual IComObject
{
public:
    ~IBlockRegisterComObject() override = default;

    virtual const unsigned char* data() const = 0;
    // The number of bytes requested and, after the answer, held in data().
    virtual unsigned int dataSize() const = 0;
    // An object holds at most a fixed number of bytes; a larger size is cut to that.
    virtual void setDataSize(unsigned int size) = 0;
    virtual void setData(const unsigned char* data, unsigned int size) = 0;
    // Bytes per register value; the register layer uses it to split data() into values.
    virtual unsigned int blockSize() const = 0;
    virtual void setBlockSize(unsigned int size) = 0;
    virtual unsigned int startAddress() const = 0;
    virtual void setStartAddress(unsigned int address) = 0;
    virtual unsigned int addressByteWidth() const = 0;
    virtual void setAddressByteWidth(unsigned int width) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
