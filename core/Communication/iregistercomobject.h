#ifndef NOXCORE_COMMUNICATION_IREGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_IREGISTERCOMOBJECT_H

#include "icomobject.h"

namespace NoxCore
{
namespace Communication
{

// A com object that reads or writes one register. The widths are in bytes; a bus object keeps its request
// and answer sizes in step with them.
class IRegisterComObject : public virtual IComObject
{
public:
    ~IRegisterComObject() override = default;

    virtual unsigned int registerValue() const = 0;
    virtual void setRegisterValue(unsigned int value) = 0;
    virtual unsigned int registerAddress() const = 0;
    virtual void setRegisterAddress(unsigned int address) = 0;
    virtual unsigned int valueByteWidth() const = 0;
    virtual void setValueByteWidth(unsigned int width) = 0;
    virtual unsigned int addressByteWidth() const = 0;
    virtual void setAddressByteWidth(unsigned int width) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
