#ifndef NOXCORE_COMMUNICATION_REGISTERVALUE_H
#define NOXCORE_COMMUNICATION_REGISTERVALUE_H

#include "iregistervalue.h"

namespace NoxCore
{
namespace Communication
{

// A register value of up to 32 bits and its state.
class RegisterValue : public IRegisterValue
{
public:
    RegisterValue();
    RegisterValue(unsigned int value, signed char state);
    RegisterValue(const RegisterValue& other);
    RegisterValue& operator=(const RegisterValue& other);
    ~RegisterValue() override;

    IRegisterValue* clone() const override;
    void setValue(unsigned int value) override;
    void setState(signed char state) override;
    // Both arguments must be RegisterValues; anything else is a programming error.
    void modifyValue(const IRegisterValue* value, const IRegisterValue* mask) override;
    unsigned int value() const override;
    signed char state() const override;

private:
    unsigned int itsValue;
    signed char itsState;
};

} // namespace Communication
} // namespace NoxCore

#endif
