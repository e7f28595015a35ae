#include "streamflushobject.h"

#include "Tools/noxassert.h"
#include "comobjecthelper.h"
#include "frameformat.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cstddef>

namespace NoxCore
{
namespace Communication
{

StreamFlushObject::StreamFlushObject()
    : SerializableComObject(STREAM_FLUSH_PROTOCOL, 0, 0, IComObject::FireAndForget, TRACE_PATTERN)
{
}

StreamFlushObject::StreamFlushObject(const StreamFlushObject& other) = default;

StreamFlushObject::~StreamFlushObject() = default;

IComObject* StreamFlushObject::clone()
{
    return new StreamFlushObject(*this);
}

bool StreamFlushObject::serialize(unsigned char*, unsigned int)
{
    return true;
}

bool StreamFlushObject::deserialize(unsigned char*, unsigned int)
{
    NOX_ASSERT(false, "StreamFlushObject has no result. Deserialize not supported.");
    return false;
}

bool StreamFlushObject::xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType)
{
    if (writer == nullptr)
        return false;
    ComObjectHelper::writeOpeningTag(this, writer, static_cast<unsigned char>(telegramType));
    writer->writeEmptyElement("StreamFlush");
    ComObjectHelper::writeClosingTag(writer);
    return true;
}

bool StreamFlushObject::xmlDeserialize(QXmlStreamReader* reader)
{
    if (reader == nullptr)
        return false;
    reader->skipCurrentElement();
    return true;
}

} // namespace Communication
} // namespace NoxCore
