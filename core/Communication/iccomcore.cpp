#include "iccomcore.h"

#include "Tools/noxassert.h"
#include "comdriver.h"
#include "icomexecutor.h"
#include "icomobject.h"
#include "icomobserver.h"
#include "iregisterinfo.h"
#include "iregistervalue.h"

#include <QMutexLocker>
#include <QVector>
#include <cstddef>

namespace NoxCore
{
namespace Communication
{

namespace
{

const unsigned int ALL_BITS = 0xFFFFFFFF;

// Builders and consumers come in pairs; a consumer that left an entry behind took the wrong one.
void requireConsumed(const QQueue<IComObject*>& queue)
{
    NOX_ASSERT(queue.isEmpty(), "Communication queue not empty.");
}

// Consecutive registers of a list that travel in one block read.
struct BlockRun
{
    int first = 0;
    QList<IRegisterValue*> values;
    int objectCount = 0;
};

} // namespace

IcComCore::IcComCore(IComExecutor* stream, IRegisterComObjectProvider* objectProvider)
    : itsObjectProvider(objectProvider), itsRegisterSet(nullptr), itsStream(stream), itsIsOpen(false)
{
}

IcComCore::~IcComCore() = default;

int IcComCore::readRegister(IRegisterInfo* info, IRegisterValue* value, bool notifyObservers)
{
    NOX_ASSERT(info != NULL, "info is Null!");
    NOX_ASSERT(value != NULL, "value is Null!");
    if (!canTransfer() || info->isWriteOnly())
        return READ_FAILED;
    {
        QMutexLocker locker(&itsLock);
        if (!read(info, value, 0))
            return READ_FAILED;
    }
    if (notifyObservers)
        raiseValueChanged(info, value);
    return SUCCESS;
}

int IcComCore::readRegisterList(QList<IRegisterInfo*>* infos, QList<IRegisterValue*>* values,
                                bool useBlockRead, bool notifyObservers)
{
    NOX_ASSERT(infos != NULL, "infos is Null!");
    NOX_ASSERT(values != NULL, "values is Null!");
    NOX_ASSERT(infos->count() == values->count(), "Numbers of items in infos and values does not match.");
    for (int index = 0; index < infos->count(); ++index)
    {
        NOX_ASSERT(infos->at(index) != NULL, "info is Null!");
        NOX_ASSERT(values->at(index) != NULL, "value is Null!");
    }
    if (!canTransfer())
        return READ_FAILED;
    if (infos->isEmpty())
        return SUCCESS;
    {
        QMutexLocker locker(&itsLock);
        const bool read = useBlockRead ? readBlocks(infos, values) : readList(infos, values);
        if (!read)
            return READ_FAILED;
    }
    if (notifyObservers)
    {
        for (int index = 0; index < infos->count(); ++index)
            raiseValueChanged(infos->at(index), values->at(index));
    }
    return SUCCESS;
}

int IcComCore::writeRegister(IRegisterInfo* info, IRegisterValue* value)
{
    NOX_ASSERT(info != NULL, "info is Null!");
    NOX_ASSERT(value != NULL, "value is Null!");
    if (!canTransfer())
        return WRITE_FAILED;
    std::unique_ptr<IRegisterValue> readBack;
    int result = SUCCESS;
    {
        QMutexLocker locker(&itsLock);
        if (!write(info, value))
            return WRITE_FAILED;
        if (info->isWriteOnly())
            return SUCCESS;
        result = verify(info, value->value(), ALL_BITS, readBack);
    }
    raiseValueChanged(info, readBack.get());
    return result;
}

int IcComCore::modifyRegister(IRegisterInfo* info, IRegisterValue* value, IRegisterValue* mask)
{
    NOX_ASSERT(info != NULL, "info is Null!");
    NOX_ASSERT(value != NULL, "value is Null!");
    NOX_ASSERT(mask != NULL, "mask is Null!");
    if (!canTransfer())
        return WRITE_FAILED;
    std::unique_ptr<IRegisterValue> readBack;
    int result = SUCCESS;
    {
        QMutexLocker locker(&itsLock);
        result = modify(info, value, mask, readBack);
    }
    // Without a read-back the modify stopped before verifying, and there is nothing new to tell.
    if (readBack != nullptr)
        raiseValueChanged(info, readBack.get());
    return result;
}

void IcComCore::setRegisterSet(Register::RegisterSet* registerSet)
{
    itsRegisterSet = registerSet;
    QList<IComObserver*> observers;
    {
        QMutexLocker locker(&itsObserverLock);
        observers = itsObservers.observers();
    }
    for (IComObserver* observer : qAsConst(observers))
        observer->registerSetChanged(registerSet);
}

Register::RegisterSet* IcComCore::registerSet()
{
    return itsRegisterSet;
}

void IcComCore::setStream(IComExecutor* stream)
{
    itsStream = stream;
}

IComExecutor* IcComCore::stream()
{
    return itsStream;
}

void IcComCore::registerObserver(IComObserver* observer)
{
    NOX_ASSERT(observer != NULL, "observer is Null!");
    QMutexLocker locker(&itsObserverLock);
    itsObservers.append(observer);
}

void IcComCore::unregisterObserver(IComObserver* observer)
{
    QMutexLocker locker(&itsObserverLock);
    itsObservers.remove(observer);
}

bool IcComCore::open()
{
    itsIsOpen = itsStream != nullptr && itsStream->isOpen();
    return itsIsOpen;
}

bool IcComCore::isOpen()
{
    return itsIsOpen;
}

bool IcComCore::close()
{
    itsIsOpen = false;
    return false;
}

bool IcComCore::setNextNode(ICommunicationNode* node)
{
    IComExecutor* stream = dynamic_cast<IComExecutor*>(node);
    if (stream == nullptr)
        return false;
    itsStream = stream;
    return true;
}

void IcComCore::setComObjectProvider(IRegisterComObjectProvider* objectProvider)
{
    itsObjectProvider = objectProvider;
}

IRegisterComObjectProvider* IcComCore::comObjectProvider()
{
    return itsObjectProvider;
}

void IcComCore::raiseValueChanged(IRegisterInfo* info, IRegisterValue* value)
{
    QList<IComObserver*> observers;
    {
        QMutexLocker locker(&itsObserverLock);
        observers = itsObservers.findObservers(info);
    }
    for (IComObserver* observer : qAsConst(observers))
        observer->valueChanged(info, value);
}

bool IcComCore::canTransfer() const
{
    return itsStream != nullptr && itsObjectProvider != nullptr;
}

bool IcComCore::runQueue(QQueue<IComObject*>* queue)
{
    itsStream->execute(queue);
    // Read in any case: reading clears the code, which would otherwise block the stream's next requests.
    bool succeeded = itsStream->lastError() == ComDriver::SUCCESS;
    // The stream reports only its own failures. An object that was never sent or got an answer it could not
    // use stays invalid, and a target that refused the transfer says so in the status.
    for (const IComObject* object : qAsConst(*queue))
        succeeded = succeeded && object->valid() && object->status() == 0;
    return succeeded;
}

bool IcComCore::read(const IRegisterInfo* info, IRegisterValue* value, unsigned int extraTraceBits)
{
    QQueue<IComObject*> queue;
    info->processReadRegisterRequest(&queue, value, itsObjectProvider);
    for (IComObject* object : qAsConst(queue))
        object->setTracePattern(object->tracePattern() | extraTraceBits);
    const bool succeeded = runQueue(&queue);
    info->processReadRegisterResponse(&queue, value);
    requireConsumed(queue);
    return succeeded;
}

bool IcComCore::write(const IRegisterInfo* info, const IRegisterValue* value)
{
    QQueue<IComObject*> queue;
    info->processWriteRegisterRequest(&queue, value, itsObjectProvider);
    const bool succeeded = runQueue(&queue);
    info->processWriteRegisterResponse(&queue, value);
    requireConsumed(queue);
    return succeeded;
}

int IcComCore::modify(const IRegisterInfo* info, const IRegisterValue* value, const IRegisterValue* mask,
                      std::unique_ptr<IRegisterValue>& readBack)
{
    QQueue<IComObject*> queue;
    info->processModifyRegisterRequest(&queue, value, mask, itsObjectProvider);
    const bool targetModifies = !queue.isEmpty() && queue.head() != nullptr;
    unsigned int expected = value->value();
    int modifyResult = SUCCESS;
    if (targetModifies)
    {
        modifyResult = runQueue(&queue) ? SUCCESS : VERIFICATION_FAILED;
        info->processModifyRegisterResponse(&queue, value, mask);
        requireConsumed(queue);
    }
    else
    {
        // The builder's null entry: the provider has no modify object, so read, modify and write here.
        info->processModifyRegisterResponse(&queue, value, mask);
        requireConsumed(queue);
        std::unique_ptr<IRegisterValue> current(info->createValue());
        if (!read(info, current.get(), 0))
            return READ_FAILED;
        current->modifyValue(value, mask);
        if (!write(info, current.get()))
            return WRITE_FAILED;
        expected = current->value();
    }
    const int verifyResult = verify(info, expected, mask->value(), readBack);
    return verifyResult != SUCCESS ? verifyResult : modifyResult;
}

bool IcComCore::readList(QList<IRegisterInfo*>* infos, QList<IRegisterValue*>* values)
{
    QQueue<IComObject*> queue;
    for (int index = 0; index < infos->count(); ++index)
        infos->at(index)->processReadRegisterRequest(&queue, values->at(index), itsObjectProvider);
    const bool succeeded = runQueue(&queue);
    for (int index = 0; index < infos->count(); ++index)
        infos->at(index)->processReadRegisterResponse(&queue, values->at(index));
    requireConsumed(queue);
    return succeeded;
}

bool IcComCore::readBlocks(QList<IRegisterInfo*>* infos, QList<IRegisterValue*>* values)
{
    QVector<BlockRun> runs;
    for (int index = 0; index < infos->count(); ++index)
    {
        if (index == 0 || !infos->at(index)->isDirectSuccessorOf(infos->at(index - 1)))
        {
            runs.append(BlockRun());
            runs.last().first = index;
        }
        runs.last().values.append(values->at(index));
    }
    QQueue<IComObject*> queue;
    for (BlockRun& run : runs)
    {
        const int queued = queue.count();
        infos->at(run.first)->processBlockReadRegisterRequest(&queue, &run.values, itsObjectProvider);
        // A builder may split a run over several objects; the consumer must get exactly those.
        run.objectCount = queue.count() - queued;
    }
    const bool succeeded = runQueue(&queue);
    for (BlockRun& run : runs)
    {
        QQueue<IComObject*> runObjects;
        for (int object = 0; object < run.objectCount; ++object)
            runObjects.enqueue(queue.dequeue());
        infos->at(run.first)->processBlockReadRegisterResponse(&runObjects, &run.values);
        requireConsumed(runObjects);
    }
    requireConsumed(queue);
    return succeeded;
}

int IcComCore::verify(const IRegisterInfo* info, unsigned int expected, unsigned int mask,
                      std::unique_ptr<IRegisterValue>& readBack)
{
    readBack.reset(info->createValue());
    if (!read(info, readBack.get(), VERIFICATION_TRACE_BIT))
        return VERIFICATION_FAILED;
    return ((readBack->value() ^ expected) & mask) == 0 ? SUCCESS : VERIFICATION_FAILED;
}

} // namespace Communication
} // namespace NoxCore
