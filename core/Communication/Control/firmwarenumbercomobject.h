#ifndef NOXCORE_COMMUNICATION_CONTROL_FIRMWARENUMBERCOMOBJECT_H
#define NOXCORE_COMMUNICATION_CONTROL_FIRMWARENUMBERCOMOBJECT_H

#include "Communication/ixmlserializable.h"
#include "Communication/serializablecomobject.h"

namespace NoxCore
{
namespace Communication
{
namespace Control
{

// Asks the target's control channel for its firmware number. The request has no payload; the answer is
// three bytes: major, minor and marker.
class FirmwareNumberComObject : public SerializableComObject, public virtual IXmlSerializable
{
public:
    static constexpr unsigned char PROTOCOL = 0x67;
    static constexpr unsigned int ANSWER_SIZE = 3;

    explicit FirmwareNumberComObject(unsigned int tracePattern);
    FirmwareNumberComObject(const FirmwareNumberComObject& other);
    ~FirmwareNumberComObject() override;

    // major * 65536 + minor * 256 + marker; 0 until an answer arrived.
    unsigned int get() const;

    IComObject* clone() override;
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // An answer shorter than three bytes leaves the number 0 and the object not valid: the stream has
    // already taken the target's status, which would otherwise pass the missing number as a good one.
    bool deserialize(unsigned char* data, unsigned int size) override;
    bool xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType) override;
    // A response telegram gives the number back; a request telegram has none and leaves it alone.
    bool xmlDeserialize(QXmlStreamReader* reader) override;

private:
    unsigned int itsNumber;
};

} // namespace Control
} // namespace Communication
} // namespace NoxCore

#endif
