#include "comobject.h"

namespace NoxCore
{
namespace Communication
{

ComObject::ComObject(IComObject::CallingType callingType, unsigned int tracePattern)
    : itsCallingType(callingType), itsTracePattern(tracePattern), itsStatus(0), itsIsValid(true),
      itsNext(nullptr)
{
}

ComObject::ComObject(const ComObject& other)
    : IComObject(), itsCallingType(other.itsCallingType), itsTracePattern(other.itsTracePattern),
      itsStatus(other.itsStatus), itsComment(other.itsComment), itsIsValid(other.itsIsValid), itsNext(nullptr)
{
}

ComObject::~ComObject() = default;

void ComObject::setStatus(signed char status)
{
    itsStatus = status;
}

signed char ComObject::status() const
{
    return itsStatus;
}

bool ComObject::valid() const
{
    return itsIsValid;
}

void ComObject::setValid(bool valid)
{
    itsIsValid = valid;
}

void ComObject::setCallingType(IComObject::CallingType callingType)
{
    itsCallingType = callingType;
}

IComObject::CallingType ComObject::callingType() const
{
    return itsCallingType;
}

void ComObject::setTracePattern(unsigned int tracePattern)
{
    itsTracePattern = tracePattern;
}

unsigned int ComObject::tracePattern() const
{
    return itsTracePattern;
}

IComObject* ComObject::next() const
{
    return itsNext;
}

void ComObject::setNext(IComObject* next)
{
    itsNext = next;
}

void ComObject::setComment(const QString& comment)
{
    itsComment = comment;
}

QString ComObject::getComment() const
{
    return itsComment;
}

} // namespace Communication
} // namespace NoxCore
