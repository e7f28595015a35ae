#include "serializablecomobject.h"

namespace NoxCore
{
namespace Communication
{

SerializableComObject::SerializableComObject(unsigned char protocol, unsigned int serializeSize,
                                             unsigned int deserializeSize,
                                             IComObject::CallingType callingType, unsigned int tracePattern)
    : ComObject(callingType, tracePattern), itsProtocol(protocol), itsSerializeSize(serializeSize),
      itsDeserializeSize(deserializeSize)
{
}

SerializableComObject::SerializableComObject(const SerializableComObject& other) = default;

SerializableComObject::~SerializableComObject() = default;

unsigned char SerializableComObject::protocol() const
{
    return itsProtocol;
}

unsigned int SerializableComObject::serializeSize() const
{
    return itsSerializeSize;
}

unsigned int SerializableComObject::deserializeSize() const
{
    return itsDeserializeSize;
}

} // namespace Communication
} // namespace NoxCore
