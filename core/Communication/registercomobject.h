#ifndef NOXCORE_COMMUNICATION_REGISTERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_REGISTERCOMOBJECT_H

#include "iregistercomobject.h"
#include "serializablecomobject.h"

namespace NoxCore
{
namespace Communication
{

// Base of the bus objects that transfer one register: keeps the address, the value and their widths. The
// bus subclass writes the request, reads the answer and decides how the widths size them.
class RegisterComObject : public SerializableComObject, public virtual IRegisterComObject
{
public:
    RegisterComObject(unsigned char protocol, unsigned int serializeSize, unsigned int deserializeSize,
                      IComObject::CallingType callingType, unsigned int tracePattern,
                      unsigned int addressByteWidth, unsigned int valueByteWidth,
                      unsigned int registerAddress, unsigned int registerValue);
    RegisterComObject(const RegisterComObject& other);
    ~RegisterComObject() override;

    unsigned int registerValue() const override;
    void setRegisterValue(unsigned int value) override;
    unsigned int registerAddress() const override;
    void setRegisterAddress(unsigned int address) override;
    unsigned int valueByteWidth() const override;
    void setValueByteWidth(unsigned int width) override;
    unsigned int addressByteWidth() const override;
    void setAddressByteWidth(unsigned int width) override;

    void set(unsigned int address, unsigned int value);

protected:
    // Called after a width changed. A request or answer whose length did not follow its widths would be cut
    // short or read past its end, so every bus object recomputes its two sizes here.
    virtual void adjustSizesToWidths() = 0;

private:
    unsigned int itsAddressByteWidth;
    unsigned int itsValueByteWidth;
    unsigned int itsRegisterAddress;
    unsigned int itsRegisterValue;
};

} // namespace Communication
} // namespace NoxCore

#endif
