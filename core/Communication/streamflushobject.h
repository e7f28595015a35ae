#ifndef NOXCORE_COMMUNICATION_STREAMFLUSHOBJECT_H
#define NOXCORE_COMMUNICATION_STREAMFLUSHOBJECT_H

#include "ixmlserializable.h"
#include "serializablecomobject.h"

namespace NoxCore
{
namespace Communication
{

// Appending it to a stream makes the stream flush; it is never sent as a frame. Its telegram marks the flush
// in a trace.
class StreamFlushObject : public SerializableComObject, public virtual IXmlSerializable
{
public:
    static constexpr unsigned int TRACE_PATTERN = 0x80000000;

    StreamFlushObject();
    StreamFlushObject(const StreamFlushObject& other);
    ~StreamFlushObject() override;

    IComObject* clone() override;
    // Writes nothing, so it succeeds even with a null buffer.
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // A flush has no answer: calling this is a programming error and stops the program.
    bool deserialize(unsigned char* data, unsigned int size) override;
    bool xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType) override;
    bool xmlDeserialize(QXmlStreamReader* reader) override;
};

} // namespace Communication
} // namespace NoxCore

#endif
