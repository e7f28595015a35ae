#include "telegramreader.h"
#include "Tools/latin1literal.h"

#include <QSet>
#include <QXmlStreamReader>

namespace NoxCore
{
namespace Communication
{

namespace
{

constexpr QLatin1String TELEGRAM_ELEMENT = Tools::latin1Literal("Telegram");
constexpr QLatin1String COMMENT_ELEMENT = Tools::latin1Literal("Comment");
constexpr QLatin1String TYPE_ATTRIBUTE = Tools::latin1Literal("type");
constexpr QLatin1String OUT_PROPERTY_ATTRIBUTE = Tools::latin1Literal("OutProperty");

// What may stand between the elements of a telegram without meaning anything.
bool isFiller(const QXmlStreamReader& xml)
{
    switch (xml.tokenType())
    {
    case QXmlStreamReader::Comment:
    case QXmlStreamReader::ProcessingInstruction:
        return true;
    case QXmlStreamReader::Characters:
        return xml.isWhitespace();
    default:
        return false;
    }
}

} // namespace

TelegramReader::TelegramReader() = default;

bool TelegramReader::read(const QString& text)
{
    TelegramReader parsed;
    if (text.size() > MAX_TELEGRAM_LENGTH)
        return false;
    QXmlStreamReader xml(text);
    if (!parsed.readTelegramStart(xml) || !parsed.readTelegramContent(xml) || !readToDocumentEnd(xml))
        return false;
    *this = parsed;
    return true;
}

bool TelegramReader::hasAttribute(const QString& name) const
{
    return itsAttributes.hasAttribute(name);
}

QString TelegramReader::attribute(const QString& name) const
{
    return itsAttributes.value(name).toString();
}

QString TelegramReader::comment() const
{
    return itsComment;
}

QString TelegramReader::commandName() const
{
    return itsCommandName;
}

const QList<TelegramReader::Parameter>& TelegramReader::parameters() const
{
    return itsParameters;
}

void TelegramReader::moveToCommand(QXmlStreamReader& xml)
{
    xml.readNextStartElement();
    xml.readNextStartElement();
    if (xml.name() != COMMENT_ELEMENT)
        return;
    xml.skipCurrentElement();
    xml.readNextStartElement();
}

bool TelegramReader::readTelegramStart(QXmlStreamReader& xml)
{
    while (true)
    {
        xml.readNext();
        if (xml.isStartElement())
        {
            itsAttributes = xml.attributes();
            return xml.name() == TELEGRAM_ELEMENT;
        }
        if (!xml.isStartDocument() && !isFiller(xml))
            return false;
    }
}

bool TelegramReader::readTelegramContent(QXmlStreamReader& xml)
{
    bool hasComment = false;
    while (true)
    {
        xml.readNext();
        if (isFiller(xml))
            continue;
        if (xml.isEndElement())
            return !itsCommandName.isEmpty();
        if (!xml.isStartElement() || !itsCommandName.isEmpty())
            return false;
        if (!hasComment && xml.name() == COMMENT_ELEMENT)
        {
            hasComment = true;
            itsComment = xml.readElementText();
            if (xml.hasError())
                return false;
            continue;
        }
        itsCommandName = xml.name().toString();
        if (!readParameters(xml))
            return false;
    }
}

bool TelegramReader::readParameters(QXmlStreamReader& xml)
{
    QSet<QString> names;
    while (true)
    {
        xml.readNext();
        if (isFiller(xml))
            continue;
        if (xml.isEndElement())
            return true;
        if (!xml.isStartElement())
            return false;
        Parameter parameter;
        parameter.name = xml.name().toString();
        if (names.contains(parameter.name))
            return false;
        names.insert(parameter.name);
        parameter.type = xml.attributes().value(TYPE_ATTRIBUTE).toString();
        parameter.isOutProperty = xml.attributes().hasAttribute(OUT_PROPERTY_ATTRIBUTE);
        parameter.value = xml.readElementText();
        if (xml.hasError())
            return false;
        itsParameters.append(parameter);
    }
}

bool TelegramReader::readToDocumentEnd(QXmlStreamReader& xml)
{
    while (true)
    {
        xml.readNext();
        if (xml.isEndDocument())
            return true;
        if (!isFiller(xml))
            return false;
    }
}

} // namespace Communication
} // namespace NoxCore
