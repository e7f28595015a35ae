#include "registercomobject.h"

namespace NoxCore
{
namespace Communication
{

RegisterComObject::RegisterComObject(unsigned char protocol, unsigned int serializeSize,
                                     unsigned int deserializeSize, IComObject::CallingType callingType,
                                     unsigned int tracePattern, unsigned int addressByteWidth,
                                     unsigned int valueByteWidth, unsigned int registerAddress,
                                     unsigned int registerValue)
    : SerializableComObject(protocol, serializeSize, deserializeSize, callingType, tracePattern),
      itsAddressByteWidth(addressByteWidth), itsValueByteWidth(valueByteWidth),
      itsRegisterAddress(registerAddress), itsRegisterValue(registerValue)
{
}

RegisterComObject::RegisterComObject(const RegisterComObject& other) = default;

RegisterComObject::~RegisterComObject() = default;

unsigned int RegisterComObject::registerValue() const
{
    return itsRegisterValue;
}

void RegisterComObject::setRegisterValue(unsigned int value)
{
    itsRegisterValue = value;
}

unsigned int RegisterComObject::registerAddress() const
{
    return itsRegisterAddress;
}

void RegisterComObject::setRegisterAddress(unsigned int address)
{
    itsRegisterAddress = address;
}

unsigned int RegisterComObject::valueByteWidth() const
{
    return itsValueByteWidth;
}

void RegisterComObject::setValueByteWidth(unsigned int width)
{
    itsValueByteWidth = width;
    adjustSizesToWidths();
}

unsigned int RegisterComObject::addressByteWidth() const
{
    return itsAddressByteWidth;
}

void RegisterComObject::setAddressByteWidth(unsigned int width)
{
    itsAddressByteWidth = width;
    adjustSizesToWidths();
}

void RegisterComObject::set(unsigned int address, unsigned int value)
{
    itsRegisterAddress = address;
    setRegisterValue(value);
}

} // namespace Communication
} // namespace NoxCore
