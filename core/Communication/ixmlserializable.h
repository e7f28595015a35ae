#ifndef NOXCORE_COMMUNICATION_IXMLSERIALIZABLE_H
#define NOXCORE_COMMUNICATION_IXMLSERIALIZABLE_H

class QXmlStreamReader;
class QXmlStreamWriter;

namespace NoxCore
{
namespace Communication
{

// The telegram form of a com object, written for tracing and read back for replay.
class IXmlSerializable
{
public:
    virtual ~IXmlSerializable() = default;

    // telegramType 0 is the request telegram, any other value the response telegram. Writes one complete
    // Telegram element; false for a null writer.
    virtual bool xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType) = 0;
    // The reader stands on the object's own command element.
    virtual bool xmlDeserialize(QXmlStreamReader* reader) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
