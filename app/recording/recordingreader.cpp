#include "recordingreader.h"

#include "recordingformat.h"

#include <QFile>
#include <QFileInfo>

bool RecordingReader::read(const QString& path)
{
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly))
        return refuse(name, 0, file.errorString());
    if (file.size() > MAX_FILE_BYTES)
        return refuse(name, 0, QStringLiteral("larger than %1 MiB").arg(MAX_FILE_BYTES / (1024 * 1024)));
    return read(file, name);
}

bool RecordingReader::read(QIODevice& device, const QString& name)
{
    itsSamples.clear();
    itsErrorString.clear();
    // Read in bounded pieces: a line longer than any row is refused without being collected in memory.
    QByteArray buffer(RecordingFormat::MAX_LINE_LENGTH + 2, Qt::Uninitialized);
    qint64 lineNumber = 0;
    qint64 bytesRead = 0;
    while (!device.atEnd())
    {
        ++lineNumber;
        const qint64 length = device.readLine(buffer.data(), buffer.size());
        if (length < 0)
            return refuse(name, lineNumber, device.errorString());
        bytesRead += length;
        if (bytesRead > MAX_FILE_BYTES)
            return refuse(
                name, lineNumber,
                QStringLiteral("the file goes on beyond %1 MiB").arg(MAX_FILE_BYTES / (1024 * 1024)));
        QByteArray line = QByteArray::fromRawData(buffer.constData(), int(length));
        if (line.endsWith('\n'))
            line.chop(1);
        else if (!device.atEnd())
            return refuse(name, lineNumber,
                          QStringLiteral("longer than %1 characters").arg(RecordingFormat::MAX_LINE_LENGTH));
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.contains('\0'))
            return refuse(name, lineNumber, QStringLiteral("holds zero bytes: not a text file"));

        if (lineNumber == 1)
        {
            // A spreadsheet that saved the file again may have put a byte order mark in front.
            if (line.startsWith("\xEF\xBB\xBF"))
                line = line.mid(3);
            if (!RecordingFormat::isHeader(line))
                return refuse(name, lineNumber,
                              QStringLiteral("not a recording: the first line must be the header %1")
                                  .arg(RecordingFormat::expectedHeader()));
            continue;
        }
        MeasurementSample sample;
        QString reason;
        if (!RecordingFormat::parseRow(line, sample, reason))
            return refuse(name, lineNumber, reason);
        if (!itsSamples.isEmpty() && sample.timeMs < itsSamples.last().timeMs)
            return refuse(name, lineNumber, QStringLiteral("the time goes back"));
        itsSamples.append(sample);
    }
    if (lineNumber == 0)
        return refuse(name, 0, QStringLiteral("the file is empty"));
    if (itsSamples.isEmpty())
        return refuse(name, 0, QStringLiteral("no measurements after the header"));
    return true;
}

bool RecordingReader::refuse(const QString& name, qint64 lineNumber, const QString& reason)
{
    itsSamples.clear();
    itsErrorString =
        lineNumber > 0 ? QStringLiteral("Cannot play %1, line %2: %3.").arg(name).arg(lineNumber).arg(reason)
                       : QStringLiteral("Cannot play %1: %2.").arg(name, reason);
    return false;
}
