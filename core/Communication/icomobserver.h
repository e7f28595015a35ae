#ifndef NOXCORE_COMMUNICATION_ICOMOBSERVER_H
#define NOXCORE_COMMUNICATION_ICOMOBSERVER_H

#include <QList>
#include <QString>

namespace NoxCore
{
namespace Register
{
class RegisterSet;
}

namespace Communication
{

class IRegisterInfo;
class IRegisterValue;

// Follows register values that the register core transferred, for example a control that shows a register.
class IComObserver
{
public:
    virtual ~IComObserver() = default;

    // True: the observer follows the registers it names; false: it follows every register.
    virtual bool filtersRegisters() = 0;
    virtual QList<IRegisterInfo*> observedRegisters() = 0;
    // Called after the core released its lock, so the observer may call back into the core.
    virtual void valueChanged(IRegisterInfo* info, IRegisterValue* value) = 0;
    virtual void registerSetChanged(Register::RegisterSet* registerSet) = 0;
    virtual QString observerName() = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
