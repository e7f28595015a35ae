#ifndef NOXCORE_COMMUNICATION_REGISTERINFO_H
#define NOXCORE_COMMUNICATION_REGISTERINFO_H

#include "iregisterinfo.h"

namespace NoxCore
{
namespace Communication
{

// Identity and order of register descriptions, both taken from their keys.
class RegisterInfo : public IRegisterInfo
{
public:
    RegisterInfo();
    RegisterInfo(const RegisterInfo& other);
    ~RegisterInfo() override;

    bool equals(const IRegisterInfo* other) const override;
    // Byte-wise order of the keys; no register comes before a missing one.
    bool operator<(const IRegisterInfo* other) const override;
    QString toString() const override;
};

} // namespace Communication
} // namespace NoxCore

#endif
