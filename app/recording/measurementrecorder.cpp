#include "measurementrecorder.h"

#include "recordingformat.h"

#include <QDateTime>
#include <QTimer>

#include <sys/stat.h>

MeasurementRecorder::MeasurementRecorder(QObject* parent) : QObject(parent), itsFlushTimer(new QTimer(this))
{
    // Also when no measurement follows (an automation client that stopped asking), rows reach the file.
    itsFlushTimer->setSingleShot(true);
    itsFlushTimer->setInterval(int(FLUSH_INTERVAL_MS));
    connect(itsFlushTimer, &QTimer::timeout, this, &MeasurementRecorder::flush);
}

MeasurementRecorder::~MeasurementRecorder()
{
    stop();
}

bool MeasurementRecorder::start(const QString& path, bool replace)
{
    if (isRecording())
    {
        itsErrorString = QStringLiteral("a recording to %1 runs already").arg(itsFile.fileName());
        return false;
    }
    itsRowCount = 0;
    itsErrorString.clear();
    itsFile.setFileName(path);
    // NewOnly refuses an existing file in the same call that creates it, so nothing slips in between.
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | QIODevice::Unbuffered | (replace ? QIODevice::Truncate : QIODevice::NewOnly);
    if (!itsFile.open(mode))
    {
        itsErrorString = (!replace && itsFile.exists())
                             ? QStringLiteral("%1 exists already").arg(path)
                             : QStringLiteral("cannot write %1: %2").arg(path, itsFile.errorString());
        return false;
    }
    // The offset of the time column is fixed for a recording, so its times sort as written even across a
    // change to summer time.
    itsUtcOffsetSeconds = QDateTime::currentDateTime().offsetFromUtc();
    const QByteArray header = RecordingFormat::header();
    if (itsFile.write(header) != header.size())
    {
        itsErrorString = QStringLiteral("cannot write %1: %2").arg(path, itsFile.errorString());
        itsFile.close();
        return false;
    }
    return true;
}

void MeasurementRecorder::stop()
{
    if (!isRecording())
        return;
    flush();
    itsFile.close();
    itsFlushTimer->stop();
}

void MeasurementRecorder::record(const MeasurementSample& sample)
{
    if (!isRecording())
        return;
    if (itsBuffer.isEmpty())
    {
        itsSinceFlush.start();
        itsFlushTimer->start();
    }
    itsBuffer += RecordingFormat::row(sample, itsUtcOffsetSeconds);
    if (itsRowCount++ == 0)
        itsFirstMs = sample.timeMs;
    itsLastMs = sample.timeMs;
    // The timer cannot fire while a slow exchange blocks the event loop; the rows still go out in time.
    if (itsSinceFlush.elapsed() >= FLUSH_INTERVAL_MS)
        flush();
}

void MeasurementRecorder::flush()
{
    itsFlushTimer->stop();
    if (!isRecording() || itsBuffer.isEmpty())
        return;
    const qint64 written = itsFile.write(itsBuffer);
    if (written != itsBuffer.size())
    {
        fail(itsFile.errorString());
        return;
    }
    itsBuffer.clear();
    // Writing into a file that was deleted succeeds and goes nowhere; say so instead of recording into it.
    struct stat status;
    if (::fstat(itsFile.handle(), &status) == 0 && status.st_nlink == 0)
        fail(QStringLiteral("the file was removed"));
}

void MeasurementRecorder::fail(const QString& reason)
{
    itsErrorString = QStringLiteral("Recording stopped: cannot write %1: %2").arg(itsFile.fileName(), reason);
    itsBuffer.clear();
    itsFile.close();
    itsFlushTimer->stop();
    emit failed(itsErrorString);
}
