#include "comobjecthelper.h"

#include "Tools/noxassert.h"
#include "icomobject.h"
#include "iserializable.h"

#include <QXmlStreamWriter>
#include <cstddef>

namespace NoxCore
{
namespace Communication
{

namespace
{

const int BITS_PER_BYTE = 8;
const int HEX_BASE = 16;
const int TRACE_PATTERN_DIGITS = 8;

const unsigned int WIDEST = 4;

bool isPackable(const unsigned char* buffer, unsigned int byteWidth)
{
    return buffer != nullptr && ComObjectHelper::isPackableWidth(byteWidth);
}

QString callingTypeText(IComObject::CallingType callingType)
{
    switch (callingType)
    {
    case IComObject::FireAndForget:
        return QStringLiteral("FireAndForget");
    case IComObject::RequestAndResponse:
        return QStringLiteral("RequestAndResponse");
    }
    return QStringLiteral("Unknown");
}

} // namespace

bool ComObjectHelper::serialize(unsigned char* buffer, unsigned int byteWidth, unsigned int value)
{
    if (!isPackable(buffer, byteWidth))
        return false;
    for (unsigned int index = 0; index < byteWidth; ++index)
        buffer[index] = static_cast<unsigned char>(value >> (BITS_PER_BYTE * (byteWidth - 1 - index)));
    return true;
}

bool ComObjectHelper::deserialize(const unsigned char* buffer, unsigned int byteWidth, unsigned int& value)
{
    if (!isPackable(buffer, byteWidth))
        return false;
    if (byteWidth == 0)
        return true;
    unsigned int result = 0;
    for (unsigned int index = 0; index < byteWidth; ++index)
        result = (result << BITS_PER_BYTE) | buffer[index];
    value = result;
    return true;
}

bool ComObjectHelper::isPackableWidth(unsigned int byteWidth)
{
    // Register-sized integers only; width 0 is allowed and packs nothing.
    return byteWidth == 0 || byteWidth == 1 || byteWidth == 2 || byteWidth == WIDEST;
}

bool ComObjectHelper::fitsWidth(unsigned int value, unsigned int byteWidth)
{
    if (!isPackableWidth(byteWidth))
        return false;
    return byteWidth == WIDEST || (value >> (BITS_PER_BYTE * byteWidth)) == 0;
}

void ComObjectHelper::writeOpeningTag(IComObject* object, QXmlStreamWriter* writer,
                                      unsigned char telegramType)
{
    NOX_ASSERT(object != NULL, "object is Null!");
    if (writer == nullptr)
        return;
    const ISerializable* serializable = dynamic_cast<const ISerializable*>(object);
    const unsigned int protocol = serializable != nullptr ? serializable->protocol() : 0;
    writer->writeStartElement(QStringLiteral("Telegram"));
    writer->writeAttribute(QStringLiteral("Pid"), QString::number(protocol, HEX_BASE));
    writer->writeAttribute(QStringLiteral("CallingType"), callingTypeText(object->callingType()));
    writer->writeAttribute(QStringLiteral("TelegramType"),
                           telegramType == 0 ? QStringLiteral("Request") : QStringLiteral("Response"));
    writer->writeAttribute(
        QStringLiteral("Trace"),
        QStringLiteral("%1").arg(object->tracePattern(), TRACE_PATTERN_DIGITS, HEX_BASE, QLatin1Char('0')));
    const QString comment = object->getComment();
    if (!comment.isEmpty())
        writer->writeTextElement(QStringLiteral("Comment"), comment);
}

void ComObjectHelper::writeClosingTag(QXmlStreamWriter* writer)
{
    if (writer != nullptr)
        writer->writeEndElement();
}

void ComObjectHelper::writeTextElementWithType(QXmlStreamWriter* writer, const QString& name,
                                               const QString& value, const QString& type)
{
    if (writer == nullptr)
        return;
    writer->writeStartElement(name);
    writer->writeAttribute(QStringLiteral("type"), type);
    writer->writeCharacters(value);
    writer->writeEndElement();
}

void ComObjectHelper::writeValue(QXmlStreamWriter* xml, const QString& name, const QString& value,
                                 const QString& type, bool isOutProperty)
{
    NOX_ASSERT(xml != NULL, "xml is Null!");
    xml->writeStartElement(name);
    if (!type.isEmpty())
        xml->writeAttribute(QStringLiteral("type"), type);
    if (isOutProperty)
        xml->writeAttribute(QStringLiteral("OutProperty"), QStringLiteral("True"));
    xml->writeCharacters(value);
    xml->writeEndElement();
}

} // namespace Communication
} // namespace NoxCore
