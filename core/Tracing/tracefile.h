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
// exactly each telegram's elements, attributes and text. TraceFileReader reads them back.
class TraceFile
{
public:
    static void writeHeader(QXmlStreamWriter& writer);
    static void writeEnd(QXmlStreamWriter& writer);
    // Copies one telegram into the file; a text that is not exactly one telegram is refused and nothing is
    // written, so that the file stays readable. False also when the writer failed (a full disk, say).
    static bool writeTelegram(QXmlStreamWriter& writer, const QString& telegram);

    // Whether the reader's current token is the declaration of this format's version.
    static bool isHeader(const QXmlStreamReader& xml);
    // Whether the reader's current token belongs in a file: a telegram's elements, attributes and text, but
    // neither a document frame of its own nor the indentation it was written with.
    static bool isCopied(const QXmlStreamReader& xml);
};

} // namespace Tracing
} // namespace NoxCore

#endif
