#ifndef LIDORA_RECORDINGREADER_H
#define LIDORA_RECORDINGREADER_H

#include "measurementsample.h"

#include <QFile>
#include <QString>

// Reads a recording row by row, so that a file of any length costs a line of memory. Accepts what
// RecordingFormat writes, files of its first version, columns added at the end by later versions, and blank
// lines at the end (editors add one); refuses anything else with one message that names the line: a row
// with fields missing or added, a field that does not read exactly as written, times going back.
class RecordingReader
{
public:
    // Opens the file without waiting on it: anything but a regular file (a FIFO, a device, a folder) is
    // refused, as a FIFO would wait for a writer for good. False with the reason in errorString().
    bool open(const QString& path);
    // The next row. False at the end of the file, and when the file turns out not to be a recording:
    // errorString() then says why.
    bool next(MeasurementSample& sample);

    bool atEnd() const { return itsAtEnd; }
    bool hasFailed() const { return !itsErrorString.isEmpty(); }
    QString errorString() const { return itsErrorString; }
    QString fileName() const { return itsFileName; }
    qint64 rowCount() const { return itsRowCount; }
    qint64 bytesRead() const { return itsBytesRead; }
    qint64 size() const { return itsSize; }

private:
    // The next line without its line end; false at the end of the file or on a fault.
    bool readLine(QByteArray& line);
    bool refuse(qint64 lineNumber, const QString& reason);

    QFile itsFile;
    QString itsFileName;
    QString itsErrorString;
    QByteArray itsBuffer;
    int itsColumnCount = 0;
    qint64 itsLineNumber = 0;
    qint64 itsRowCount = 0;
    qint64 itsBytesRead = 0;
    qint64 itsSize = 0;
    qint64 itsLastTimeMs = 0;
    bool itsAtEnd = false;
};

#endif
