#ifndef LIDORA_MEASUREMENTRECORDER_H
#define LIDORA_MEASUREMENTRECORDER_H

#include "measurementsample.h"

#include "Tools/elapsedtimer.h"

#include <QByteArray>
#include <QFile>
#include <QObject>

class QTimer;

// Writes every measurement as one row of a CSV recording (see RecordingFormat). Rows are collected in memory
// and written at most FLUSH_INTERVAL_MS after the oldest of them, in one write, so a measurement costs a
// formatted row and no system call; a killed program loses at most the last second, a program that ends
// normally none. A write that fails, or a file removed under the program, stops the recording: the rows
// written before stay, failed() says why, and the measurements carry on. GUI thread only.
class MeasurementRecorder : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 FLUSH_INTERVAL_MS = 500;

    explicit MeasurementRecorder(QObject* parent = nullptr);
    ~MeasurementRecorder() override;

    // Creates the file and writes the header. An existing file is replaced only when replace is set;
    // otherwise, while a recording runs, and when the file cannot be written, returns false with the reason
    // in errorString().
    bool start(const QString& path, bool replace);
    // Writes what is left and closes the file.
    void stop();

    bool isRecording() const { return itsFile.isOpen(); }
    QString path() const { return itsFile.fileName(); }
    QString errorString() const { return itsErrorString; }
    qint64 rowCount() const { return itsRowCount; }
    // Time from the first to the newest row.
    qint64 lengthMs() const { return itsRowCount > 0 ? itsLastMs - itsFirstMs : 0; }

public slots:
    void record(const MeasurementSample& sample);

signals:
    // The recording stopped because the file could not be written; the text names the file and the reason.
    void failed(const QString& message);

private:
    void flush();
    void fail(const QString& reason);

    QFile itsFile;
    QByteArray itsBuffer;
    QString itsErrorString;
    QTimer* itsFlushTimer = nullptr;
    NoxCore::Tools::ElapsedTimer itsSinceFlush;
    int itsUtcOffsetSeconds = 0;
    qint64 itsRowCount = 0;
    qint64 itsFirstMs = 0;
    qint64 itsLastMs = 0;
};

#endif
