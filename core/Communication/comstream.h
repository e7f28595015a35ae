#ifndef NOXCORE_COMMUNICATION_COMSTREAM_H
#define NOXCORE_COMMUNICATION_COMSTREAM_H

#include "commutex.h"
#include "emptycomdriver.h"
#include "frameformat.h"
#include "icomexecutor.h"
#include "icommunicationnode.h"
#include "icomstream.h"
#include "immediateflushpolicy.h"
#include "lateflushpolicy.h"
#include "streamflushobject.h"

#include <QString>

namespace NoxCore
{
namespace Tracing
{
class ITraceSink;
}

namespace Communication
{

class ISerializable;

// Turns com objects into frames (see frameformat.h), writes them through a driver and reads the answers of
// request-and-response objects back into the objects when flushed. Requests are written as soon as they
// are appended; their answers are read in the order the requests went out.
//
// Ownership: the stream never owns com objects, its driver, its policy or its tracer. An object stays the
// caller's while it waits for its answer, linked into the pending list through its next(); the caller must
// keep it alive and leave it alone until the stream has read the answer (or reset() abandoned it).
//
// Locking: every operation on the frame buffer, the pending list, the driver or the policy runs under one
// recursive, counting lock. Beyond that, each request whose answer has not been read yet keeps one level of
// the lock held by the thread that appended it, so another thread that uses the stream blocks until that
// thread has flushed (or reset). Hand a stream to another thread only with no answer pending.
//
// A transfer allocates nothing: requests are serialised into the one frame buffer and answers read into it
// in place. Only tracing, when a tracer is set, builds telegram texts.
class ComStream : public virtual IComStream, public virtual IComExecutor, public virtual ICommunicationNode
{
public:
    // Status the stream gives an object whose answer it could not use; otherwise the status is the target's.
    static constexpr signed char STATUS_ANSWER_NOT_READ = 1;
    static constexpr signed char STATUS_PROTOCOL_MISMATCH = 2;

    static EmptyComDriver theEmptyDriver;
    static StreamFlushObject theFlush;
    static const LateFlushPolicy theLateFlushPolicy;
    static const ImmediateFlushPolicy theImmediateFlushPolicy;

    // A null driver is replaced by theEmptyDriver. The policy must outlive the stream.
    ComStream(ComDriver* driver, const StreamPolicy& policy);
    // Releases the lock levels still held; neither closes nor deletes the driver.
    ~ComStream() override;
    ComStream(const ComStream&) = delete;
    ComStream& operator=(const ComStream&) = delete;

    void setComDriver(ComDriver* driver);
    ComDriver* comDriver() override;
    void setPolicy(const StreamPolicy& policy);
    // Null switches tracing off.
    void setTracer(Tracing::ITraceSink* tracer);
    // Only a ComDriver can sit below a stream.
    bool setNextNode(ICommunicationNode* node) override;
    bool isResultPending() override;

    bool open() override;
    bool close() override;
    bool isOpen() override;
    // open() and close() reset the stream when the channel changes. reset() abandons every pending answer
    // (the objects keep valid false and are not touched again), clears the last error, reopens the driver if
    // it was open and releases every lock level this thread holds, also those of a stream call it is nested
    // in.
    void reset();

    // The driver's code OR the stream's own; reading clears both and lets the driver drop what it buffers.
    // While the stream's own code is set, new request-and-response objects are refused, so a caller cannot
    // miss an error by sending on.
    int lastError() override;

    void append(IComObject* object) override;
    IComStream& operator<<(IComObject& object) override;
    void flush() override;

    // Runs one object and reads its answer at once. An IExecutable object runs itself on this stream and its
    // result is returned; a serialisable object is appended and flushed, and the outcome is in its status
    // and valid flag and in lastError(). False for an object that is neither.
    bool execute(IComObject* object) override;
    // Runs every object in order and flushes once at the end. An object that is neither executable nor
    // serialisable, or an execution that fails, leaves TRANSMIT_FAILED unless a transfer error came first.
    void execute(QQueue<IComObject*>* queue) override;

    void trace(QString text);

private:
    void appendFireAndForget(IComObject* object);
    void appendRequest(IComObject* object);
    bool isPending(const IComObject* object) const;
    void linkPending(IComObject* object);
    void writeRequestHeader(unsigned char protocolByte, unsigned int requestSize, unsigned int expectedSize);
    void readAnswer(IComObject* object);
    void receiveAnswer(IComObject* object, ISerializable* serializable);
    bool executeObject(IComObject* object, bool flushAfterwards);
    void abandonExchanges();
    void traceTelegram(IComObject* object, unsigned int telegramType);

    int itsLastError;
    ComDriver* itsDriver;
    const StreamPolicy* itsPolicy;
    unsigned char itsFrame[FRAME_SIZE];
    unsigned char* const itsPayload;
    ComMutex itsLock;
    IComObject* itsPendingHead;
    IComObject* itsPendingTail;
    Tracing::ITraceSink* itsTracer;
};

} // namespace Communication
} // namespace NoxCore

#endif
