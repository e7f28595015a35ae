#ifndef NOXCORE_COMMUNICATION_IREGISTERCOMOBJECTPROVIDER_H
#define NOXCORE_COMMUNICATION_IREGISTERCOMOBJECTPROVIDER_H

namespace NoxCore
{
namespace Communication
{

class IBlockRegisterComObject;
class IModifyRegisterComObject;
class IRegisterComObject;

// Supplies the bus-specific com objects for register transfers. Each call returns a new heap object that
// the caller owns.
class IRegisterComObjectProvider
{
public:
    virtual ~IRegisterComObjectProvider() = default;

    virtual IRegisterComObject* createReadRegisterObject() = 0;
    virtual IRegisterComObject* createWriteRegisterObject() = 0;
    // Null when the bus has no read-modify-write of its own; the register core then reads, modifies and
    // writes itself.
    virtual IModifyRegisterComObject* createModifyRegisterObject() = 0;
    virtual IBlockRegisterComObject* createBlockRegisterObject() = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
