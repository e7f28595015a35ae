#include "xmlmappingentry.h"

#include <QXmlStreamReader>

namespace NoxCore
{
namespace Tools
{

namespace
{

const int DIGITS_PER_BYTE = 2;

} // namespace

XmlMappingEntry::XmlMappingEntry() = default;

XmlMappingEntry::XmlMappingEntry(const QString& name, unsigned char* target, int base, bool optional)
    : itsName(name), itsUint8Target(target), itsBase(base), itsIsOptional(optional)
{
}

XmlMappingEntry::XmlMappingEntry(const QString& name, unsigned short* target, int base, bool optional)
    : itsName(name), itsUint16Target(target), itsBase(base), itsIsOptional(optional)
{
}

XmlMappingEntry::XmlMappingEntry(const QString& name, unsigned int* target, int base, bool optional)
    : itsName(name), itsUint32Target(target), itsBase(base), itsIsOptional(optional)
{
}

XmlMappingEntry::XmlMappingEntry(const QString& name, unsigned long long* target, int base, bool optional)
    : itsName(name), itsUint64Target(target), itsBase(base), itsIsOptional(optional)
{
}

XmlMappingEntry::XmlMappingEntry(const QString& name, unsigned char** target, unsigned int capacity, int base,
                                 bool optional)
    : itsName(name), itsByteArrayTarget(target), itsByteArrayCapacity(capacity), itsBase(base),
      itsIsOptional(optional)
{
}

XmlMappingEntry::~XmlMappingEntry() = default;

bool XmlMappingEntry::tryParse(QXmlStreamReader* reader)
{
    if (reader == nullptr || !reader->isStartElement())
        return false;
    const QString text = reader->readElementText();
    if (itsByteArrayTarget != nullptr)
        return parseByteArray(text);
    return parseScalar(text);
}

bool XmlMappingEntry::parseScalar(const QString& text)
{
    // Telegrams write unsigned values in hexadecimal, so a 32-bit pattern such as 80000000 must not fail a
    // signed conversion; negative texts keep their two's-complement meaning.
    bool converted = false;
    qulonglong value = qulonglong(text.toLongLong(&converted, itsBase));
    if (!converted)
        value = text.toULongLong(&converted, itsBase);
    if (!converted)
        value = 0;
    if (itsUint8Target != nullptr)
        *itsUint8Target = static_cast<unsigned char>(value);
    else if (itsUint16Target != nullptr)
        *itsUint16Target = static_cast<unsigned short>(value);
    else if (itsUint32Target != nullptr)
        *itsUint32Target = static_cast<unsigned int>(value);
    else if (itsUint64Target != nullptr)
        *itsUint64Target = value;
    else
        return false;
    itsIsParsed = converted;
    return itsIsParsed;
}

bool XmlMappingEntry::parseByteArray(const QString& text)
{
    unsigned char* bytes = *itsByteArrayTarget;
    // Too much text for the buffer: store nothing rather than a cut-off value.
    if (bytes == nullptr || unsigned(text.size()) > DIGITS_PER_BYTE * itsByteArrayCapacity)
        return itsIsParsed;
    itsIsParsed = true;
    itsBytesRead = unsigned(text.size()) / DIGITS_PER_BYTE;
    for (unsigned int index = 0; index < itsBytesRead; ++index)
    {
        bool converted = false;
        const int value = text.mid(int(index) * DIGITS_PER_BYTE, DIGITS_PER_BYTE).toInt(&converted, itsBase);
        bytes[index] = converted ? static_cast<unsigned char>(value) : 0;
        itsIsParsed = itsIsParsed && converted;
    }
    return itsIsParsed;
}

QString XmlMappingEntry::name() const
{
    return itsName;
}

bool XmlMappingEntry::isParsed() const
{
    return itsIsParsed;
}

bool XmlMappingEntry::isOptional() const
{
    return itsIsOptional;
}

unsigned int XmlMappingEntry::bytesActuallyRead() const
{
    if (itsUint8Target != nullptr)
        return sizeof(*itsUint8Target);
    if (itsUint16Target != nullptr)
        return sizeof(*itsUint16Target);
    if (itsUint32Target != nullptr)
        return sizeof(*itsUint32Target);
    if (itsUint64Target != nullptr)
        return sizeof(*itsUint64Target);
    return itsBytesRead;
}

} // namespace Tools
} // namespace NoxCore
