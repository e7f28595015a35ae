#include "registerinfo.h"

namespace NoxCore
{
namespace Communication
{

RegisterInfo::RegisterInfo() = default;

RegisterInfo::RegisterInfo(const RegisterInfo& other) = default;

RegisterInfo::~RegisterInfo() = default;

bool RegisterInfo::equals(const IRegisterInfo* other) const
{
    return other != nullptr && key() == other->key();
}

bool RegisterInfo::operator<(const IRegisterInfo* other) const
{
    return other != nullptr && key() < other->key();
}

QString RegisterInfo::toString() const
{
    return QStringLiteral("RegisterInfo");
}

} // namespace Communication
} // namespace NoxCore
