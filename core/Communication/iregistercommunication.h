#ifndef NOXCORE_COMMUNICATION_IREGISTERCOMMUNICATION_H
#define NOXCORE_COMMUNICATION_IREGISTERCOMMUNICATION_H

#include <QList>

namespace NoxCore
{
namespace Register
{
class RegisterSet;
}

namespace Communication
{

class IComExecutor;
class IComObserver;
class IRegisterInfo;
class IRegisterValue;

// Register access: reads, verified writes and read-modify-writes of registers, with observers told about
// every value that was transferred. The int results are the ResultCode values.
class IRegisterCommunication
{
public:
    enum ResultCode
    {
        SUCCESS = 0,
        READ_FAILED = -1,
        WRITE_FAILED = -2,
        // The register did not read back what was written.
        VERIFICATION_FAILED = -3
    };

    virtual ~IRegisterCommunication() = default;

    virtual int readRegister(IRegisterInfo* info, IRegisterValue* value, bool raiseValueChanged) = 0;
    // infos[i] is read into values[i]; with useBlockRead, consecutive registers travel in one block.
    virtual int readRegisterList(QList<IRegisterInfo*>* infos, QList<IRegisterValue*>* values,
                                 bool useBlockRead, bool raiseValueChanged) = 0;
    virtual int writeRegister(IRegisterInfo* info, IRegisterValue* value) = 0;
    // Replaces the bits selected by mask with those of value.
    virtual int modifyRegister(IRegisterInfo* info, IRegisterValue* value, IRegisterValue* mask) = 0;
    virtual void setRegisterSet(Register::RegisterSet* registerSet) = 0;
    virtual Register::RegisterSet* registerSet() = 0;
    virtual void setStream(IComExecutor* stream) = 0;
    virtual IComExecutor* stream() = 0;
    virtual void registerObserver(IComObserver* observer) = 0;
    virtual void unregisterObserver(IComObserver* observer) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
