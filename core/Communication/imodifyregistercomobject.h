#ifndef NOXCORE_COMMUNICATION_IMODIFYREGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_IMODIFYREGISTERCOMOBJECT_H

#include "iregistercomobject.h"

namespace NoxCore
{
namespace Communication
{

// A read-modify-write done by the target in one transfer: the register keeps its bits outside the mask and
// takes those of the value inside it.
class IModifyRegisterComObject : public virtual IRegisterComObject
{
public:
    ~IModifyRegisterComObject() override = default;

    virtual unsigned int mask() const = 0;
    virtual void setMask(unsigned int mask) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
