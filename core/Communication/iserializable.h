#ifndef NOXCORE_COMMUNICATION_ISERIALIZABLE_H
#define NOXCORE_COMMUNICATION_ISERIALIZABLE_H

namespace NoxCore
{
namespace Communication
{

// The byte form of a com object: what the stream puts into a request frame and reads back from the answer.
class ISerializable
{
public:
    virtual ~ISerializable() = default;

    // Command id on the target, 0x00 to 0x7E; 0x7F is the stream flush.
    virtual unsigned char protocol() const = 0;
    // Request payload bytes that serialize() writes.
    virtual unsigned int serializeSize() const = 0;
    // Largest answer payload accepted; 0 for objects without answer.
    virtual unsigned int deserializeSize() const = 0;
    // Writes exactly serializeSize() bytes; false (and nothing written) for a null or too small buffer.
    virtual bool serialize(unsigned char* buffer, unsigned int bufferSize) = 0;
    // size is the length the target announced, never more than deserializeSize(). An answer too short for
    // the object gives false and leaves the object unchanged.
    virtual bool deserialize(unsigned char* data, unsigned int size) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
