#include "modifyregistercomobject.h"

namespace NoxCore
{
namespace Communication
{

ModifyRegisterComObject::ModifyRegisterComObject(unsigned char protocol, unsigned int serializeSize,
                                                 unsigned int deserializeSize,
                                                 IComObject::CallingType callingType,
                                                 unsigned int tracePattern, unsigned int addressByteWidth,
                                                 unsigned int valueByteWidth, unsigned int registerAddress,
                                                 unsigned int registerValue, unsigned int mask)
    : RegisterComObject(protocol, serializeSize, deserializeSize, callingType, tracePattern, addressByteWidth,
                        valueByteWidth, registerAddress, registerValue),
      itsMask(mask)
{
}

ModifyRegisterComObject::ModifyRegisterComObject(const ModifyRegisterComObject& other) = default;

ModifyRegisterComObject::~ModifyRegisterComObject() = default;

unsigned int ModifyRegisterComObject::mask() const
{
    return itsMask;
}

void ModifyRegisterComObject::setMask(unsigned int mask)
{
    itsMask = mask;
}

} // namespace Communication
} // namespace NoxCore
