#ifndef NOXCORE_COMMUNICATION_COMOBJECT_H
#define NOXCORE_COMMUNICATION_COMOBJECT_H

#include "icomobject.h"

namespace NoxCore
{
namespace Communication
{

// The state every com object carries: calling type, trace pattern, status, comment, valid flag and the
// stream's pending-list link. A com object always belongs to whoever created it, never to a stream.
class ComObject : public virtual IComObject
{
public:
    ComObject(IComObject::CallingType callingType, unsigned int tracePattern);
    // Copies everything but the pending-list link, so a copy is never part of a stream's list.
    ComObject(const ComObject& other);
    ComObject& operator=(const ComObject&) = delete;
    ~ComObject() override;

    void setStatus(signed char status) override;
    signed char status() const override;
    bool valid() const override;
    void setValid(bool valid) override;
    void setCallingType(IComObject::CallingType callingType) override;
    IComObject::CallingType callingType() const override;
    void setTracePattern(unsigned int tracePattern) override;
    unsigned int tracePattern() const override;
    IComObject* next() const override;
    void setNext(IComObject* next) override;
    void setComment(const QString& comment) override;
    QString getComment() const override;

private:
    IComObject::CallingType itsCallingType;
    unsigned int itsTracePattern;
    signed char itsStatus;
    QString itsComment;
    bool itsIsValid;
    IComObject* itsNext;
};

} // namespace Communication
} // namespace NoxCore

#endif
