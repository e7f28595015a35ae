#ifndef NOXCORE_TOOLS_XMLMAPPINGENTRY_H
#define NOXCORE_TOOLS_XMLMAPPINGENTRY_H

#include <QString>

class QXmlStreamReader;

namespace NoxCore
{
namespace Tools
{

// Reads the text of one XML element into one caller-owned variable: an unsigned integer of 8, 16, 32 or
// 64 bits, or a byte array given as "0a0b0c" (two digits per byte). The constructor used decides which;
// the targets are never owned. Com objects use entries to read their parameters back from telegrams.
class XmlMappingEntry
{
public:
    // An entry without target: it never parses.
    XmlMappingEntry();
    XmlMappingEntry(const QString& name, unsigned char* target, int base = 16, bool optional = false);
    XmlMappingEntry(const QString& name, unsigned short* target, int base = 16, bool optional = false);
    XmlMappingEntry(const QString& name, unsigned int* target, int base = 16, bool optional = false);
    XmlMappingEntry(const QString& name, unsigned long long* target, int base = 16, bool optional = false);
    // The bytes go to (*target)[0..capacity-1]; the pointer is followed at parse time, so its owner may
    // move the buffer in between.
    XmlMappingEntry(const QString& name, unsigned char** target, unsigned int capacity, int base = 16,
                    bool optional = false);
    virtual ~XmlMappingEntry();

    // The reader must stand on the element's start; it is left on the element's end.
    bool tryParse(QXmlStreamReader* reader);

    QString name() const;
    bool isParsed() const;
    bool isOptional() const;
    // The width of a scalar target in bytes, the bytes stored for a byte array, 0 without target.
    unsigned int bytesActuallyRead() const;

private:
    bool parseScalar(const QString& text);
    bool parseByteArray(const QString& text);

    QString itsName;
    unsigned char* itsUint8Target = nullptr;
    unsigned short* itsUint16Target = nullptr;
    unsigned int* itsUint32Target = nullptr;
    unsigned long long* itsUint64Target = nullptr;
    unsigned char** itsByteArrayTarget = nullptr;
    unsigned int itsByteArrayCapacity = 0;
    unsigned int itsBytesRead = 0;
    int itsBase = 16;
    bool itsIsParsed = false;
    bool itsIsOptional = false;
};

} // namespace Tools
} // namespace NoxCore

#endif
