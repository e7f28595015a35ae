#ifndef NOXCORE_COMMUNICATION_ICCOMCORE_H
#define NOXCORE_COMMUNICATION_ICCOMCORE_H

#include "comobservercache.h"
#include "icommunicationnode.h"
#include "iregistercommunication.h"

#include <QMutex>
#include <QQueue>

#include <memory>

namespace NoxCore
{
namespace Communication
{

class IComObject;
class IRegisterComObjectProvider;

// Register access to the sensor chip through an executor (the module com stream), with com objects from a
// bus-specific provider. Every write and modify is verified by reading the register back. A transfer counts
// as done only when the stream reports no error and every com object got a usable answer with status 0.
//
// Locking: each register operation holds the core's own, non-recursive lock for its whole transfer, so a
// write's read-back never interleaves with another thread's transfer. Observers are told only after the
// lock is released, so an observer may call back into the core. The observer list has a lock of its own
// and is copied before observers are called.
//
// Ownership: the stream, the provider, the register set and the observers stay their owners'.
class IcComCore : public virtual IRegisterCommunication, public virtual ICommunicationNode
{
public:
    // Set in the trace pattern of verification reads, so that traces tell them from ordinary reads.
    static constexpr unsigned int VERIFICATION_TRACE_BIT = 0x00010000;

    // Either may be null and set later; until both are set every register operation fails.
    IcComCore(IComExecutor* stream, IRegisterComObjectProvider* objectProvider);
    ~IcComCore() override;
    IcComCore(const IcComCore&) = delete;
    IcComCore& operator=(const IcComCore&) = delete;

    // A write-only register cannot be read: READ_FAILED without transfer.
    int readRegister(IRegisterInfo* info, IRegisterValue* value, bool notifyObservers) override;
    // The lists must have the same length. Observers are told only when the whole list was read.
    int readRegisterList(QList<IRegisterInfo*>* infos, QList<IRegisterValue*>* values, bool useBlockRead,
                         bool notifyObservers) override;
    // WRITE_FAILED when the write failed, VERIFICATION_FAILED when the read-back failed or gave another
    // value. A write-only register is not read back and observers are not told; otherwise they are told
    // the value read back, whatever the result.
    int writeRegister(IRegisterInfo* info, IRegisterValue* value) override;
    // Uses the provider's modify object when it has one, else reads, modifies and writes itself; then
    // verifies the bits under the mask. A failed modify transfer counts as VERIFICATION_FAILED; without a
    // modify object a failed read gives READ_FAILED and a failed write WRITE_FAILED.
    int modifyRegister(IRegisterInfo* info, IRegisterValue* value, IRegisterValue* mask) override;
    // Tells every observer about the new set.
    void setRegisterSet(Register::RegisterSet* registerSet) override;
    Register::RegisterSet* registerSet() override;
    void setStream(IComExecutor* stream) override;
    IComExecutor* stream() override;
    void registerObserver(IComObserver* observer) override;
    void unregisterObserver(IComObserver* observer) override;

    // Open while the stream is: the core has no channel of its own and never opens the stream.
    bool open() override;
    bool isOpen() override;
    // Only clears the open flag; the result is always false.
    bool close() override;
    // Only an executor can sit below the core.
    bool setNextNode(ICommunicationNode* node) override;

    void setComObjectProvider(IRegisterComObjectProvider* objectProvider);
    IRegisterComObjectProvider* comObjectProvider();
    // Tells the observers of info's register about value.
    void raiseValueChanged(IRegisterInfo* info, IRegisterValue* value);

private:
    bool canTransfer() const;
    bool runQueue(QQueue<IComObject*>* queue);
    bool read(const IRegisterInfo* info, IRegisterValue* value, unsigned int extraTraceBits);
    bool write(const IRegisterInfo* info, const IRegisterValue* value);
    int modify(const IRegisterInfo* info, const IRegisterValue* value, const IRegisterValue* mask,
               std::unique_ptr<IRegisterValue>& readBack);
    bool readList(QList<IRegisterInfo*>* infos, QList<IRegisterValue*>* values);
    bool readBlocks(QList<IRegisterInfo*>* infos, QList<IRegisterValue*>* values);
    // Reads the register back into readBack and compares the bits under mask with expected.
    int verify(const IRegisterInfo* info, unsigned int expected, unsigned int mask,
               std::unique_ptr<IRegisterValue>& readBack);

    QMutex itsLock;
    IRegisterComObjectProvider* itsObjectProvider;
    QMutex itsObserverLock;
    ComObserverCache itsObservers;
    Register::RegisterSet* itsRegisterSet;
    IComExecutor* itsStream;
    bool itsIsOpen;
};

} // namespace Communication
} // namespace NoxCore

#endif
