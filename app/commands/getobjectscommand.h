#ifndef LIDORA_GETOBJECTSCOMMAND_H
#define LIDORA_GETOBJECTSCOMMAND_H

#include "objectrecord.h"

#include "Communication/serializablecomobject.h"

namespace NoxCore
{
namespace Communication
{
class ComStream;
}
} // namespace NoxCore

// Fetches the object the sensor detected in one measurement: the object count and one ObjectRecord.
class GetObjectsCommand : public NoxCore::Communication::SerializableComObject
{
public:
    static constexpr unsigned char PROTOCOL = 0x02;
    static constexpr unsigned int ANSWER_SIZE = 17;

    GetObjectsCommand();
    GetObjectsCommand(const GetObjectsCommand& other);
    ~GetObjectsCommand() override;

    NoxCore::Communication::IComObject* clone() override;
    // The request has no payload.
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // Needs all 17 answer bytes; a shorter answer leaves the zero record, which reads as "no object".
    bool deserialize(unsigned char* data, unsigned int size) override;

    // Runs this read on stream. A failed exchange is no measurement: its error is taken off the stream at
    // once (which refuses every further request until it is) and said on standard error, once per run of
    // failures. False then, and the record must not be used.
    bool readFrom(NoxCore::Communication::ComStream& stream);

    ObjectRecord objectRecord() const;
    // 0 when nothing was detected.
    quint8 objectCount() const;

private:
    ObjectRecord itsObjectRecord;
    quint8 itsObjectCount;
};

#endif
