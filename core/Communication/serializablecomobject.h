#ifndef NOXCORE_COMMUNICATION_SERIALIZABLECOMOBJECT_H
#define NOXCORE_COMMUNICATION_SERIALIZABLECOMOBJECT_H

#include "comobject.h"
#include "iserializable.h"

namespace NoxCore
{
namespace Communication
{

// Base of every com object that travels as a frame. A concrete object provides serialize(), deserialize()
// and clone(); it may change the two sizes later (a block read whose data size changes does).
class SerializableComObject : public ComObject, public virtual ISerializable
{
public:
    // Both sizes at most 1088, the frame's payload capacity; deserializeSize 0 for objects without answer.
    SerializableComObject(unsigned char protocol, unsigned int serializeSize, unsigned int deserializeSize,
                          IComObject::CallingType callingType, unsigned int tracePattern);
    SerializableComObject(const SerializableComObject& other);
    ~SerializableComObject() override;

    unsigned char protocol() const override;
    unsigned int serializeSize() const override;
    unsigned int deserializeSize() const override;

protected:
    unsigned char itsProtocol;
    unsigned int itsSerializeSize;
    unsigned int itsDeserializeSize;
};

} // namespace Communication
} // namespace NoxCore

#endif
