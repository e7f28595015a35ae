#ifndef NOXCORE_COMMUNICATION_ICOMOBJECT_H
#define NOXCORE_COMMUNICATION_ICOMOBJECT_H

#include <QString>

namespace NoxCore
{
namespace Communication
{

// One transfer with the target. Every other interface of a com object (ISerializable, IXmlSerializable,
// IExecutable) is reached from this pointer by dynamic cast, so all of them are inherited virtually.
class IComObject
{
public:
    // Telegrams show other values as "Unknown", so the type holds any 32-bit value.
    enum CallingType : int
    {
        FireAndForget = 0,     // the target sends no answer
        RequestAndResponse = 1 // the target answers; the stream queues the object until it reads the answer
    };

    virtual ~IComObject() = default;

    // 0 means success; set by the stream from the answer (see ComStream for its own codes 1 and 2).
    virtual void setStatus(signed char status) = 0;
    virtual signed char status() const = 0;
    // False while an answer is outstanding or after a failed exchange.
    virtual bool valid() const = 0;
    virtual void setValid(bool valid) = 0;
    // A new heap copy; the caller owns it.
    virtual IComObject* clone() = 0;
    virtual void setCallingType(CallingType callingType) = 0;
    virtual CallingType callingType() const = 0;
    virtual void setTracePattern(unsigned int tracePattern) = 0;
    virtual unsigned int tracePattern() const = 0;
    // Link of a stream's list of objects awaiting an answer; only the stream touches it.
    virtual IComObject* next() const = 0;
    virtual void setNext(IComObject* next) = 0;
    virtual void setComment(const QString& comment) = 0;
    virtual QString getComment() const = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
