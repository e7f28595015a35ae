#include "getobjectscommand.h"

#include "Communication/comstream.h"

#include <QtEndian>

namespace
{

// Answer layout. Unlike the frame header, the fields inside the answer are little-endian.
const unsigned int OBJECT_COUNT_OFFSET = 0;
const unsigned int FIRST_BYTE_OFFSET = 1;
const unsigned int DISTANCE_OFFSET = 2;
const unsigned int DISTANCE2_OFFSET = 4;
const unsigned int DISTANCE3_OFFSET = 6;
const unsigned int CONFIDENCE_OFFSET = 8;
const unsigned int PHOTON_COUNT_REFERENCE_OFFSET = 9;
const unsigned int PHOTON_COUNT_OBJECT_OFFSET = 13;

// The board is polled 30 times a second: one line when its answers stop, not one per measurement.
bool lastReadFailed = false;

} // namespace

GetObjectsCommand::GetObjectsCommand()
    : SerializableComObject(PROTOCOL, 0, ANSWER_SIZE, IComObject::RequestAndResponse, PROTOCOL),
      itsObjectCount(0)
{
}

GetObjectsCommand::GetObjectsCommand(const GetObjectsCommand& other) = default;

GetObjectsCommand::~GetObjectsCommand() = default;

NoxCore::Communication::IComObject* GetObjectsCommand::clone()
{
    return new GetObjectsCommand(*this);
}

bool GetObjectsCommand::serialize(unsigned char*, unsigned int)
{
    return true;
}

bool GetObjectsCommand::deserialize(unsigned char* data, unsigned int size)
{
    if (data == nullptr || size < ANSWER_SIZE)
        return false;
    itsObjectCount = data[OBJECT_COUNT_OFFSET];
    itsObjectRecord.firstByte = data[FIRST_BYTE_OFFSET];
    itsObjectRecord.distance = qFromLittleEndian<quint16>(data + DISTANCE_OFFSET);
    itsObjectRecord.distance2 = qFromLittleEndian<quint16>(data + DISTANCE2_OFFSET);
    itsObjectRecord.distance3 = qFromLittleEndian<quint16>(data + DISTANCE3_OFFSET);
    itsObjectRecord.confidence = data[CONFIDENCE_OFFSET];
    itsObjectRecord.photonCountReference = qFromLittleEndian<quint32>(data + PHOTON_COUNT_REFERENCE_OFFSET);
    itsObjectRecord.photonCountObject = qFromLittleEndian<quint32>(data + PHOTON_COUNT_OBJECT_OFFSET);
    return true;
}

bool GetObjectsCommand::readFrom(NoxCore::Communication::ComStream& stream)
{
    stream.execute(this);
    if (valid())
    {
        lastReadFailed = false;
        return true;
    }
    const int error = stream.lastError();
    if (!lastReadFailed)
        qWarning("Measurement failed: the module did not deliver its object (%s); no sample is taken.",
                 NoxCore::Communication::ComDriver::errorToString(error));
    lastReadFailed = true;
    return false;
}

ObjectRecord GetObjectsCommand::objectRecord() const
{
    return itsObjectRecord;
}

quint8 GetObjectsCommand::objectCount() const
{
    return itsObjectCount;
}
