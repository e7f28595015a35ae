#ifndef NOXCORE_COMMUNICATION_MODIFYREGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_MODIFYREGISTERCOMOBJECT_H

#include "imodifyregistercomobject.h"
#include "registercomobject.h"

namespace NoxCore
{
namespace Communication
{

// Base of the bus objects that let the target read, modify and write a register in one transfer.
class ModifyRegisterComObject : public RegisterComObject, public virtual IModifyRegisterComObject
{
public:
    ModifyRegisterComObject(unsigned char protocol, unsigned int serializeSize, unsigned int deserializeSize,
                            IComObject::CallingType callingType, unsigned int tracePattern,
                            unsigned int addressByteWidth, unsigned int valueByteWidth,
                            unsigned int registerAddress, unsigned int registerValue, unsigned int mask);
    ModifyRegisterComObject(const ModifyRegisterComObject& other);
    ~ModifyRegisterComObject() override;

    unsigned int mask() const override;
    void setMask(unsigned int mask) override;

private:
    unsigned int itsMask;
};

} // namespace Communication
} // namespace NoxCore

#endif
