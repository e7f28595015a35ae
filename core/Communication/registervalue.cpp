#include "registervalue.h"

#include "Tools/noxassert.h"

#include <cstddef>

namespace NoxCore
{
namespace Communication
{

RegisterValue::RegisterValue() : itsValue(0), itsState(0) {}

RegisterValue::RegisterValue(unsigned int value, signed char state) : itsValue(value), itsState(state) {}

RegisterValue::RegisterValue(const RegisterValue& other) = default;

RegisterValue& RegisterValue::operator=(const RegisterValue& other) = default;

RegisterValue::~RegisterValue() = default;

IRegisterValue* RegisterValue::clone() const
{
    return new RegisterValue(*this);
}

void RegisterValue::setValue(unsigned int value)
{
    itsValue = value;
    itsState = 0;
}

void RegisterValue::setState(signed char state)
{
    itsState = state;
}

void RegisterValue::modifyValue(const IRegisterValue* value, const IRegisterValue* mask)
{
    const RegisterValue* modValue = dynamic_cast<const RegisterValue*>(value);
    NOX_ASSERT(modValue != NULL, "modValue is Null!");
    const RegisterValue* modMask = dynamic_cast<const RegisterValue*>(mask);
    NOX_ASSERT(modMask != NULL, "modMask is Null!");
    setValue((itsValue & ~modMask->itsValue) | (modValue->itsValue & modMask->itsValue));
}

unsigned int RegisterValue::value() const
{
    return itsValue;
}

signed char RegisterValue::state() const
{
    return itsState;
}

} // namespace Communication
} // namespace NoxCore
