#ifndef NOXCORE_TOOLS_XMLMAPPER_H
#define NOXCORE_TOOLS_XMLMAPPER_H

#include "xmlmappingentry.h"

#include <QMap>
#include <QString>

class QXmlStreamReader;

namespace NoxCore
{
namespace Tools
{

// Reads the parameter elements of one command element into variables, one entry per parameter name. A com
// object fills a mapper with entries pointing at its own fields and lets it read the telegram.
class XmlMapper
{
public:
    XmlMapper();
    virtual ~XmlMapper();

    // Stores a copy under the entry's name, replacing an earlier entry of that name.
    void addEntry(const XmlMappingEntry& entry);
    XmlMappingEntry* findEntry(const QString& name);

    // The reader stands on the command element (or just before it). Parses the parameters that have entries
    // and stops at the command element's end, or at the text of a parameter without entry (skipping the rest
    // of that parameter). True when every entry that is not optional was parsed.
    bool tryParse(QXmlStreamReader* reader);

private:
    QMap<QString, XmlMappingEntry> itsEntries;
};

} // namespace Tools
} // namespace NoxCore

#endif
