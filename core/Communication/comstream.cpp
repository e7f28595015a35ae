#include "comstream.h"

#include "Tools/noxassert.h"
#include "Tracing/itracesink.h"
#include "comobjecthelper.h"
#include "iexecutable.h"
#include "iserializable.h"
#include "ixmlserializable.h"

#include <QXmlStreamWriter>
#include <cstddef>

namespace NoxCore
{
namespace Communication
{

namespace
{

const unsigned int REQUEST_TELEGRAM = 0;
const unsigned int RESPONSE_TELEGRAM = 1;

// Holds one level of the stream lock for the rest of a scope. reset() may release the level early; the
// later unlock then finds nothing to release and does nothing.
class LockLevel
{
public:
    explicit LockLevel(ComMutex& lock) : itsLock(lock) { itsLock.lock(); }
    ~LockLevel() { itsLock.unlock(); }
    LockLevel(const LockLevel&) = delete;
    LockLevel& operator=(const LockLevel&) = delete;

private:
    ComMutex& itsLock;
};

} // namespace

EmptyComDriver ComStream::theEmptyDriver;
StreamFlushObject ComStream::theFlush;
const LateFlushPolicy ComStream::theLateFlushPolicy;
const ImmediateFlushPolicy ComStream::theImmediateFlushPolicy;

ComStream::ComStream(ComDriver* driver, const StreamPolicy& policy)
    : itsLastError(ComDriver::SUCCESS), itsDriver(driver != nullptr ? driver : &theEmptyDriver),
      itsPolicy(&policy), itsFrame(), itsPayload(itsFrame + FRAME_HEADER_SIZE), itsPendingHead(nullptr),
      itsPendingTail(nullptr), itsTracer(nullptr)
{
}

ComStream::~ComStream() = default;

void ComStream::setComDriver(ComDriver* driver)
{
    LockLevel level(itsLock);
    itsDriver = driver != nullptr ? driver : &theEmptyDriver;
}

ComDriver* ComStream::comDriver()
{
    return itsDriver;
}

void ComStream::setPolicy(const StreamPolicy& policy)
{
    LockLevel level(itsLock);
    itsPolicy = &policy;
}

void ComStream::setTracer(Tracing::ITraceSink* tracer)
{
    LockLevel level(itsLock);
    itsTracer = tracer;
}

bool ComStream::setNextNode(ICommunicationNode* node)
{
    ComDriver* driver = dynamic_cast<ComDriver*>(node);
    if (driver == nullptr)
        return false;
    setComDriver(driver);
    return true;
}

bool ComStream::isResultPending()
{
    LockLevel level(itsLock);
    return itsPendingHead != nullptr;
}

bool ComStream::open()
{
    itsLock.lock();
    if (itsDriver->isOpen())
    {
        itsLock.unlock();
        return true;
    }
    abandonExchanges();
    const bool opened = itsDriver->open();
    itsLock.unlockAll();
    return opened;
}

bool ComStream::close()
{
    itsLock.lock();
    if (!itsDriver->isOpen())
    {
        itsLock.unlock();
        return true;
    }
    const bool closed = itsDriver->close();
    abandonExchanges();
    itsLock.unlockAll();
    return closed;
}

bool ComStream::isOpen()
{
    return itsDriver->isOpen();
}

void ComStream::reset()
{
    itsLock.lock();
    abandonExchanges();
    itsLock.unlockAll();
}

void ComStream::abandonExchanges()
{
    const bool wasOpen = itsDriver->isOpen();
    if (wasOpen)
        itsDriver->close();
    // The abandoned objects are left as they are: the caller may already have deleted them.
    itsPendingHead = nullptr;
    itsPendingTail = nullptr;
    itsDriver->lastError();
    itsLastError = ComDriver::SUCCESS;
    if (wasOpen)
        itsDriver->open();
}

int ComStream::lastError()
{
    LockLevel level(itsLock);
    const int combined = itsDriver->lastError() | itsLastError;
    itsLastError = ComDriver::SUCCESS;
    return combined;
}

void ComStream::append(IComObject* object)
{
    NOX_ASSERT(object != NULL, "object is Null!");
    if (object->callingType() == IComObject::RequestAndResponse)
        appendRequest(object);
    else
        appendFireAndForget(object);
}

IComStream& ComStream::operator<<(IComObject& object)
{
    append(&object);
    return *this;
}

void ComStream::appendFireAndForget(IComObject* object)
{
    LockLevel level(itsLock);
    ISerializable* serializable = dynamic_cast<ISerializable*>(object);
    if (serializable == nullptr)
    {
        itsLastError = ComDriver::TRANSMIT_FAILED;
        return;
    }
    if (serializable->protocol() == STREAM_FLUSH_PROTOCOL)
    {
        flush();
        return;
    }
    const unsigned int requestSize = serializable->serializeSize();
    if (requestSize > FRAME_PAYLOAD_CAPACITY)
    {
        itsLastError = ComDriver::TRANSMIT_FAILED;
        return;
    }
    if (!serializable->serialize(itsPayload, FRAME_PAYLOAD_CAPACITY))
        return;
    writeRequestHeader(serializable->protocol() | FRAME_FIRE_AND_FORGET_BIT, requestSize, 0);
    itsLastError = itsDriver->write(itsFrame, FRAME_HEADER_SIZE + requestSize);
    traceTelegram(object, REQUEST_TELEGRAM);
    if (itsLastError == ComDriver::SUCCESS && itsPolicy->flushNow())
        flush();
}

void ComStream::appendRequest(IComObject* object)
{
    LockLevel level(itsLock);
    ISerializable* serializable = dynamic_cast<ISerializable*>(object);
    if (serializable == nullptr || serializable->serializeSize() > FRAME_PAYLOAD_CAPACITY ||
        serializable->deserializeSize() > FRAME_PAYLOAD_CAPACITY)
    {
        itsLastError = ComDriver::CHANNEL_NOT_OPEN;
        object->setValid(false);
        return;
    }
    // Queued twice, the object would link to itself and the next flush would never end.
    if (isPending(object))
        return;
    // An unread error blocks further requests, so that nobody sends on without noticing it.
    if (itsLastError != ComDriver::SUCCESS)
    {
        object->setValid(false);
        return;
    }
    // Serialise before queueing: an object that cannot write its request must not wait for an answer that
    // will never be asked for, nor keep a lock level.
    if (!serializable->serialize(itsPayload, FRAME_PAYLOAD_CAPACITY))
    {
        object->setValid(false);
        return;
    }
    object->setValid(false);
    linkPending(object);
    // This level stays held until the object's answer has been read (readAnswer), so no other thread can
    // slip a request in between a request and its answer.
    itsLock.lock();
    const unsigned int requestSize = serializable->serializeSize();
    writeRequestHeader(serializable->protocol() & FRAME_PROTOCOL_MASK, requestSize,
                       serializable->deserializeSize());
    itsLastError = itsDriver->write(itsFrame, FRAME_HEADER_SIZE + requestSize);
    traceTelegram(object, REQUEST_TELEGRAM);
    if (itsPolicy->flushNow())
        flush();
}

bool ComStream::isPending(const IComObject* object) const
{
    return object->next() != nullptr || object == itsPendingTail;
}

void ComStream::linkPending(IComObject* object)
{
    if (itsPendingTail != nullptr)
        itsPendingTail->setNext(object);
    else
        itsPendingHead = object;
    itsPendingTail = object;
}

void ComStream::writeRequestHeader(unsigned char protocolByte, unsigned int requestSize,
                                   unsigned int expectedSize)
{
    itsFrame[FRAME_PROTOCOL_OFFSET] = protocolByte;
    ComObjectHelper::serialize(itsFrame + FRAME_REQUEST_LENGTH_OFFSET, FRAME_LENGTH_FIELD_SIZE, requestSize);
    ComObjectHelper::serialize(itsFrame + FRAME_EXPECTED_LENGTH_OFFSET, FRAME_LENGTH_FIELD_SIZE,
                               expectedSize);
}

void ComStream::flush()
{
    LockLevel level(itsLock);
    itsLastError = itsDriver->flush();
    traceTelegram(&theFlush, REQUEST_TELEGRAM);
    while (itsPendingHead != nullptr)
    {
        IComObject* object = itsPendingHead;
        itsPendingHead = object->next();
        if (itsPendingHead == nullptr)
            itsPendingTail = nullptr;
        object->setNext(nullptr);
        readAnswer(object);
    }
}

void ComStream::readAnswer(IComObject* object)
{
    ISerializable* serializable = dynamic_cast<ISerializable*>(object);
    NOX_ASSERT(serializable != NULL, "serializable is Null!");
    receiveAnswer(object, serializable);
    // Releases the level taken when the request was sent.
    itsLock.unlock();
}

void ComStream::receiveAnswer(IComObject* object, ISerializable* serializable)
{
    itsLastError = itsDriver->read(itsFrame, FRAME_HEADER_SIZE);
    if (itsLastError != ComDriver::SUCCESS)
    {
        object->setStatus(STATUS_ANSWER_NOT_READ);
        return;
    }
    if (itsFrame[FRAME_PROTOCOL_OFFSET] != (serializable->protocol() & FRAME_PROTOCOL_MASK))
    {
        object->setStatus(STATUS_PROTOCOL_MISMATCH);
        itsLastError = ComDriver::DATA_MISMATCH;
        return;
    }
    unsigned int answerSize = 0;
    ComObjectHelper::deserialize(itsFrame + FRAME_ANSWER_LENGTH_OFFSET, FRAME_LENGTH_FIELD_SIZE, answerSize);
    // The payload of a refused answer stays in the driver until lastError() lets the driver drop it.
    if (answerSize > serializable->deserializeSize())
    {
        itsLastError = ComDriver::CHANNEL_NOT_OPEN;
        object->setStatus(STATUS_ANSWER_NOT_READ);
        return;
    }
    itsLastError = itsDriver->read(itsPayload, answerSize);
    if (itsLastError != ComDriver::SUCCESS)
    {
        object->setStatus(STATUS_ANSWER_NOT_READ);
        return;
    }
    object->setStatus(static_cast<signed char>(itsFrame[FRAME_ANSWER_STATUS_OFFSET]));
    object->setValid(true);
    serializable->deserialize(itsPayload, answerSize);
    traceTelegram(object, RESPONSE_TELEGRAM);
}

bool ComStream::execute(IComObject* object)
{
    NOX_ASSERT(object != NULL, "object is Null!");
    LockLevel level(itsLock);
    return executeObject(object, true);
}

void ComStream::execute(QQueue<IComObject*>* queue)
{
    NOX_ASSERT(queue != NULL, "queue is Null!");
    LockLevel level(itsLock);
    bool allSucceeded = true;
    for (IComObject* object : qAsConst(*queue))
    {
        NOX_ASSERT(object != NULL, "object is Null!");
        allSucceeded = executeObject(object, false) && allSucceeded;
    }
    if (!itsPolicy->flushNow())
        flush();
    // The flush overwrites the code, so a failure inside the queue is recorded only now.
    if (!allSucceeded && itsLastError == ComDriver::SUCCESS)
        itsLastError = ComDriver::TRANSMIT_FAILED;
}

bool ComStream::executeObject(IComObject* object, bool flushAfterwards)
{
    IExecutable* executable = dynamic_cast<IExecutable*>(object);
    if (executable != nullptr)
    {
        const bool executed = executable->execute(this);
        object->setValid(executed);
        if (!executed)
            itsLastError = ComDriver::TRANSMIT_FAILED;
        traceTelegram(object, REQUEST_TELEGRAM);
        return executed;
    }
    if (dynamic_cast<ISerializable*>(object) == nullptr)
        return false;
    append(object);
    if (flushAfterwards && !itsPolicy->flushNow())
        flush();
    return true;
}

void ComStream::trace(QString text)
{
    if (itsTracer != nullptr)
        itsTracer->trace(text);
}

void ComStream::traceTelegram(IComObject* object, unsigned int telegramType)
{
    // Without a tracer nobody reads the text, so it is not built: transfers stay free of allocations.
    if (itsTracer == nullptr)
        return;
    IXmlSerializable* xmlSerializable = dynamic_cast<IXmlSerializable*>(object);
    if (xmlSerializable == nullptr)
        return;
    QString text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    if (xmlSerializable->xmlSerialize(&writer, telegramType))
        trace(text);
}

} // namespace Communication
} // namespace NoxCore
