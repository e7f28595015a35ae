#include "xmlmapper.h"

#include <QXmlStreamReader>

namespace NoxCore
{
namespace Tools
{

XmlMapper::XmlMapper() = default;

XmlMapper::~XmlMapper() = default;

void XmlMapper::addEntry(const XmlMappingEntry& entry)
{
    itsEntries.insert(entry.name(), entry);
}

XmlMappingEntry* XmlMapper::findEntry(const QString& name)
{
    const auto found = itsEntries.find(name);
    return found != itsEntries.end() ? &found.value() : nullptr;
}

bool XmlMapper::tryParse(QXmlStreamReader* reader)
{
    if (reader == nullptr)
        return false;
    while (!reader->atEnd() && reader->readNext() != QXmlStreamReader::StartElement)
    {
    }
    while (!reader->atEnd())
    {
        if (reader->isStartElement())
        {
            XmlMappingEntry* entry = findEntry(reader->name().toString());
            if (entry != nullptr)
                entry->tryParse(reader);
        }
        else if (reader->isEndElement())
        {
            break;
        }
        else if (!reader->isWhitespace())
        {
            reader->skipCurrentElement();
            break;
        }
        reader->readNext();
    }
    for (const XmlMappingEntry& entry : qAsConst(itsEntries))
    {
        if (!entry.isParsed() && !entry.isOptional())
            return false;
    }
    return true;
}

} // namespace Tools
} // namespace NoxCore
