#ifndef NOXCORE_COMMUNICATION_IREGISTERVALUE_H
#define NOXCORE_COMMUNICATION_IREGISTERVALUE_H

namespace NoxCore
{
namespace Communication
{

// The content of one register together with how it was obtained.
class IRegisterValue
{
public:
    virtual ~IRegisterValue() = default;

    // A new heap copy; the caller owns it.
    virtual IRegisterValue* clone() const = 0;
    // Stores a value that is known to be good, so the state becomes 0.
    virtual void setValue(unsigned int value) = 0;
    // 0 means valid; otherwise the status of the com object that delivered the value.
    virtual void setState(signed char state) = 0;
    // Replaces the bits selected by mask with those of value.
    virtual void modifyValue(const IRegisterValue* value, const IRegisterValue* mask) = 0;
    virtual unsigned int value() const = 0;
    virtual signed char state() const = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
