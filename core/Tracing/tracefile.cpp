#include "tracefile.h"

#include "Communication/telegramreader.h"
#include "Tools/latin1literal.h"

#include <QCoreApplication>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace NoxCore
{
namespace Tracing
{

namespace
{

constexpr QLatin1String ROOT_ELEMENT = Tools::latin1Literal("LogData");
constexpr QLatin1String TELEGRAM_ELEMENT = Tools::latin1Literal("Telegram");
constexpr QLatin1String DOCUMENT_VERSION = Tools::latin1Literal("1.0");

// The tokens of a telegram that go into a file: its elements, attributes and text, but neither a document
// frame of its own nor the indentation it was written with.
bool isCopied(const QXmlStreamReader& xml)
{
    switch (xml.tokenType())
    {
    case QXmlStreamReader::StartDocument:
    case QXmlStreamReader::EndDocument:
        return false;
    case QXmlStreamReader::Characters:
        return !xml.isWhitespace();
    default:
        return true;
    }
}

} // namespace

void TraceFile::writeHeader(QXmlStreamWriter& writer)
{
    writer.setAutoFormatting(true);
    writer.writeStartDocument(DOCUMENT_VERSION);
    writer.writeDTD(QStringLiteral("<!DOCTYPE %1>").arg(ROOT_ELEMENT));
    writer.writeStartElement(ROOT_ELEMENT);
}

void TraceFile::writeEnd(QXmlStreamWriter& writer)
{
    writer.writeEndElement();
    writer.writeEndDocument();
}

bool TraceFile::writeTelegram(QXmlStreamWriter& writer, const QString& telegram)
{
    if (!Communication::TelegramReader().read(telegram))
        return false;
    QXmlStreamReader xml(telegram);
    while (!xml.atEnd())
    {
        xml.readNext();
        if (isCopied(xml))
            writer.writeCurrentToken(xml);
    }
    return !writer.hasError();
}

bool TraceFile::readHeader(QXmlStreamReader& xml)
{
    xml.readNext();
    return xml.isStartDocument() && xml.documentVersion() == DOCUMENT_VERSION;
}

bool TraceFile::readNextTelegram(QXmlStreamReader& xml, QString& telegram)
{
    while (!xml.atEnd())
    {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == TELEGRAM_ELEMENT)
            return copyTelegram(xml, telegram);
    }
    return false;
}

bool TraceFile::copyTelegram(QXmlStreamReader& xml, QString& telegram)
{
    QString text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    int depth = 0;
    while (!xml.hasError())
    {
        if (isCopied(xml))
            writer.writeCurrentToken(xml);
        if (xml.isStartElement())
            ++depth;
        else if (xml.isEndElement() && --depth == 0)
        {
            telegram = text;
            return true;
        }
        // Stops a runaway element before it fills the memory; no telegram comes near this size.
        if (text.size() > Communication::TelegramReader::MAX_TELEGRAM_LENGTH)
        {
            xml.raiseError(QCoreApplication::translate("TraceFile", "A telegram is too long."));
            return false;
        }
        xml.readNext();
    }
    return false;
}

} // namespace Tracing
} // namespace NoxCore
