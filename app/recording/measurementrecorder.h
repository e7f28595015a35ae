#ifndef LIDORA_MEASUREMENTRECORDER_H
#define LIDORA_MEASUREMENTRECORDER_H

#include "measurementsample.h"

#include "Tools/elapsedtimer.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QTimer;

// Writes every measurement as one row of a CSV recording (see RecordingFormat). Rows are collected in memory
// and written at most FLUSH_INTERVAL_MS after the oldest of them, in one write, so a measurement costs a
// formatted row and no system call; a killed program loses at most the last second, a program that ends
// normally none. A write that fails, or a file removed under the program, stops the recording: the rows
// written before stay, a row the disk took only in part is cut off, so the file ends with a whole row,
// failed() says why, and the measurements carry on. Only regular files are recorded to: a FIFO would hold
// the program in open() or write() until some other program reads it. GUI thread only.
class MeasurementRecorder : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 FLUSH_INTERVAL_MS = 500;

    explicit MeasurementRecorder(QObject* parent = nullptr);
    ~MeasurementRecorder() override;

    // Creates the file and writes the header. An existing file is replaced only when replace is set;
    // otherwise, while a recording runs, and when the file cannot be written, returns false with the reason,
    // which names the file, in errorString(); refusedExisting() tells the first case from the others.
    bool start(const QString& path, bool replace);
    // Writes what is left and closes the file.
    void stop();

    bool isRecording() const { return itsDescriptor >= 0; }
    QString path() const { return itsPath; }
    QString errorString() const { return itsErrorString; }
    bool refusedExisting() const { return itsRefusedExisting; }
    qint64 rowCount() const { return itsRowCount; }
    // Time from the first to the newest row.
    qint64 lengthMs() const { return itsRowCount > 0 ? itsLastMs - itsFirstMs : 0; }

public slots:
    void record(const MeasurementSample& sample);

signals:
    // The recording stopped because the file could not be written; the text names the file and the reason.
    void failed(const QString& message);

private:
    bool refuse(const QString& reason);
    // Writes all of bytes, or what the disk takes of it; errno tells why it took less.
    qint64 writeAll(const QByteArray& bytes);
    void flush();
    void fail(const QString& reason);
    void closeFile();

    int itsDescriptor = -1;
    QString itsPath;
    // What the file holds: whole rows only.
    qint64 itsFileBytes = 0;
    QByteArray itsBuffer;
    QString itsErrorString;
    bool itsRefusedExisting = false;
    QTimer* itsFlushTimer = nullptr;
    NoxCore::Tools::ElapsedTimer itsSinceFlush;
    int itsUtcOffsetSeconds = 0;
    qint64 itsRowCount = 0;
    qint64 itsFirstMs = 0;
    qint64 itsLastMs = 0;
};

#endif
