#include "tracefile.h"

#include "Communication/telegramreader.h"
#include "Tools/latin1literal.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace NoxCore
{
namespace Tracing
{

namespace
{

constexpr QLatin1String ROOT_ELEMENT = Tools::latin1Literal("LogData");
constexpr QLatin1String DOCUMENT_VERSION = Tools::latin1Literal("1.0");

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

bool TraceFile::isHeader(const QXmlStreamReader& xml)
{
    return xml.isStartDocument() && xml.documentVersion() == DOCUMENT_VERSION;
}

bool TraceFile::isCopied(const QXmlStreamReader& xml)
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

} // namespace Tracing
} // namespace NoxCore
