#ifndef NOXCORE_TRACING_TRACEFILE_H
#define NOXCORE_TRACING_TRACEFILE_H

#include <QString>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace NoxCore
{
namespace Tracing
{

// The trace file: an XML document of version 1.0 with the document type "LogData" and the root element
// "LogData", which holds one Telegram element per recorded telegram, in the order traced. Readers accept a
// file by the version in its declaration and find telegrams by their Telegram elements, wherever they sit.
//
// Telegrams are copied token by token, whitespace-only text left out (the writer indents), so the file holds
// exactly each telegram's elements, attributes and text.
class TraceFile
{
public:
    static void writeHeader(QXmlStreamWriter& writer);
    static void writeEnd(QXmlStreamWriter& writer);
    // Copies one telegram into the file; a text that is not exactly one telegram is refused and nothing is
    // written, so that the file stays readable. False also when the writer failed (a full disk, say).
    static bool writeTelegram(QXmlStreamWriter& writer, const QString& telegram);

    // Reads the first token: true when it is the declaration of version 1.0.
    static bool readHeader(QXmlStreamReader& xml);
    // The text of the next Telegram element, from its start to its end. False at the end of the file and on
    // the first telegram that is truncated, not well-formed or longer than a telegram can be; the reader then
    // has an error and gives no further telegram.
    static bool readNextTelegram(QXmlStreamReader& xml, QString& telegram);

private:
    static bool copyTelegram(QXmlStreamReader& xml, QString& telegram);
};

} // namespace Tracing
} // namespace NoxCore

#endif
