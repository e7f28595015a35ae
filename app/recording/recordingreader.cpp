#include "recordingreader.h"

#include "recordingformat.h"
#include "recordingopenflags.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool RecordingReader::open(const QString& path)
{
    itsFile.close();
    itsErrorString.clear();
    itsColumnCount = 0;
    itsLineNumber = itsRowCount = itsBytesRead = itsSize = itsLastTimeMs = 0;
    itsAtEnd = false;
    itsFileName = QFileInfo(path).fileName();
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | RECORDING_OPEN_FLAGS);
    if (descriptor < 0)
        return refuse(0, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
    {
        ::close(descriptor);
        return refuse(0, QStringLiteral("not a regular file"));
    }
    itsSize = status.st_size;
    if (!itsFile.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
    {
        ::close(descriptor);
        return refuse(0, itsFile.errorString());
    }
    // Room for the longest line with CR LF, and the terminating zero readLine() adds.
    itsBuffer.resize(RecordingFormat::MAX_LINE_LENGTH + 3);
    return true;
}

bool RecordingReader::readLine(QByteArray& line)
{
    if (!itsFile.isOpen() || hasFailed() || itsFile.atEnd())
        return false;
    ++itsLineNumber;
    const qint64 length = itsFile.readLine(itsBuffer.data(), itsBuffer.size());
    if (length < 0)
        return refuse(itsLineNumber, itsFile.errorString());
    itsBytesRead += length;
    line = QByteArray(itsBuffer.constData(), int(length));
    const bool complete = line.endsWith('\n');
    if (complete)
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    // A line cut by the buffer is longer than any row; it is refused without being collected in memory.
    if ((!complete && !itsFile.atEnd()) || line.size() > RecordingFormat::MAX_LINE_LENGTH)
        return refuse(itsLineNumber,
                      QStringLiteral("longer than %1 characters").arg(RecordingFormat::MAX_LINE_LENGTH));
    if (line.contains('\0'))
        return refuse(itsLineNumber, QStringLiteral("holds zero bytes: not a text file"));
    return true;
}

bool RecordingReader::next(MeasurementSample& sample)
{
    QByteArray line;
    if (itsColumnCount == 0)
    {
        if (!readLine(line))
            return hasFailed() ? false : refuse(0, QStringLiteral("the file is empty"));
        // A spreadsheet that saved the file again may have put a byte order mark in front.
        if (line.startsWith("\xEF\xBB\xBF"))
            line = line.mid(3);
        itsColumnCount = RecordingFormat::headerColumnCount(line);
        if (itsColumnCount == 0)
            return refuse(itsLineNumber,
                          QStringLiteral("not a recording: the first line must be the header %1")
                              .arg(RecordingFormat::expectedHeader()));
    }
    if (!readLine(line))
    {
        if (!hasFailed() && itsRowCount == 0)
            return refuse(0, QStringLiteral("no measurements after the header"));
        itsAtEnd = !hasFailed();
        return false;
    }
    // Blank lines are what an editor leaves at the end; among the rows they are a damaged file.
    const qint64 blankLine = line.isEmpty() ? itsLineNumber : 0;
    while (line.isEmpty() && readLine(line))
    {
    }
    if (hasFailed())
        return false;
    if (line.isEmpty())
    {
        if (itsRowCount == 0)
            return refuse(0, QStringLiteral("no measurements after the header"));
        itsAtEnd = true;
        return false;
    }
    if (blankLine > 0)
        return refuse(blankLine, QStringLiteral("an empty line among the rows"));

    QString reason;
    if (!RecordingFormat::parseRow(line, itsColumnCount, sample, reason))
        return refuse(itsLineNumber, reason);
    if (sample.timeMs < itsLastTimeMs)
        return refuse(itsLineNumber, QStringLiteral("the time goes back"));
    itsLastTimeMs = sample.timeMs;
    ++itsRowCount;
    return true;
}

bool RecordingReader::refuse(qint64 lineNumber, const QString& reason)
{
    itsFile.close();
    itsErrorString =
        lineNumber > 0
            ? QStringLiteral("Cannot play %1, line %2: %3.").arg(itsFileName).arg(lineNumber).arg(reason)
            : QStringLiteral("Cannot play %1: %2.").arg(itsFileName, reason);
    return false;
}
