#ifndef NOXCORE_TRACING_TRACEFILEREADER_H
#define NOXCORE_TRACING_TRACEFILEREADER_H

#include <QString>
#include <QXmlStreamReader>

class QIODevice;

namespace NoxCore
{
namespace Tracing
{

// Reads the telegrams of a trace file (see TraceFile) from a device. The reader is fed a piece at a time
// and never more than one telegram can take for a single token, so a file with one enormous token is
// refused after reading a few hundred KB of it, not after holding all of it in memory.
//
// A file that ends before its document does (a recording killed before it was closed) is cut short, not
// broken: every complete telegram before the cut is read.
//
// The device is not owned; no locking.
class TraceFileReader
{
public:
    TraceFileReader();

    // Starts over on device (null lets go of the current one).
    void setDevice(QIODevice* device);
    // Reads the first token: true when it is the declaration of version 1.0.
    bool readHeader();
    // The text of the next Telegram element, from its start to its end. False at the end of the file, where
    // it was cut short, and on the first telegram that is not well-formed or longer than a telegram can be;
    // no further telegram follows then.
    bool readNextTelegram(QString& telegram);

    // True only on the document's proper end.
    bool isEndOfDocument() const;
    // The file ended inside its document; nothing else was wrong with it so far.
    bool isCutShort() const;
    // Anything else: not XML, not well-formed, or a token too long.
    bool isBroken() const;

private:
    // The next token, feeding the reader from the device for as long as it needs more of it.
    void readNextToken();
    bool copyTelegram(QString& telegram);

    QXmlStreamReader itsXml;
    QIODevice* itsDevice = nullptr;
};

} // namespace Tracing
} // namespace NoxCore

#endif
