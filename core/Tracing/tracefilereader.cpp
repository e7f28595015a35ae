#include "tracefilereader.h"

#include "Communication/telegramreader.h"
#include "Tools/latin1literal.h"
#include "tracefile.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QXmlStreamWriter>

namespace NoxCore
{
namespace Tracing
{

namespace
{

constexpr QLatin1String TELEGRAM_ELEMENT = Tools::latin1Literal("Telegram");

const qint64 PIECE_SIZE = 16 * 1024;
// No token of a telegram is longer than the telegram, whose characters take at most four bytes each.
const qint64 MAX_TOKEN_BYTES = 4 * qint64(Communication::TelegramReader::MAX_TELEGRAM_LENGTH);

QString tooLong()
{
    return QCoreApplication::translate("TraceFile", "A telegram is too long.");
}

} // namespace

TraceFileReader::TraceFileReader() = default;

void TraceFileReader::setDevice(QIODevice* device)
{
    itsXml.clear();
    itsDevice = device;
}

bool TraceFileReader::readHeader()
{
    readNextToken();
    return TraceFile::isHeader(itsXml);
}

bool TraceFileReader::readNextTelegram(QString& telegram)
{
    while (!itsXml.atEnd())
    {
        readNextToken();
        if (itsXml.isStartElement() && itsXml.name() == TELEGRAM_ELEMENT)
            return copyTelegram(telegram);
    }
    return false;
}

bool TraceFileReader::isEndOfDocument() const
{
    return itsXml.isEndDocument();
}

bool TraceFileReader::isCutShort() const
{
    return itsXml.error() == QXmlStreamReader::PrematureEndOfDocumentError;
}

bool TraceFileReader::isBroken() const
{
    return itsXml.hasError() && !isCutShort();
}

void TraceFileReader::readNextToken()
{
    itsXml.readNext();
    // The reader asks for more by reporting a premature end; it is a real one only once the device is done.
    qint64 given = 0;
    while (isCutShort() && itsDevice != nullptr && !itsDevice->atEnd())
    {
        if (given > MAX_TOKEN_BYTES)
        {
            itsXml.raiseError(tooLong());
            return;
        }
        const QByteArray piece = itsDevice->read(PIECE_SIZE);
        if (piece.isEmpty())
        {
            itsXml.raiseError(itsDevice->errorString());
            return;
        }
        given += piece.size();
        itsXml.addData(piece);
        itsXml.readNext();
    }
}

bool TraceFileReader::copyTelegram(QString& telegram)
{
    QString text;
    QXmlStreamWriter writer(&text);
    writer.setAutoFormatting(true);
    int depth = 0;
    while (!itsXml.hasError())
    {
        if (TraceFile::isCopied(itsXml))
            writer.writeCurrentToken(itsXml);
        if (itsXml.isStartElement())
            ++depth;
        else if (itsXml.isEndElement() && --depth == 0)
        {
            telegram = text;
            return true;
        }
        // Many short tokens can make a runaway telegram just as well.
        if (text.size() > Communication::TelegramReader::MAX_TELEGRAM_LENGTH)
        {
            itsXml.raiseError(tooLong());
            return false;
        }
        readNextToken();
    }
    return false;
}

} // namespace Tracing
} // namespace NoxCore
