#include "measurementrecorder.h"

#include "recordingformat.h"
#include "recordingopenflags.h"

#include <QDateTime>
#include <QFile>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString cannotWrite(const QString& path, int error)
{
    return QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

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
    itsRefusedExisting = false;
    if (isRecording())
        return refuse(QStringLiteral("a recording to %1 runs already").arg(itsPath));
    itsRowCount = 0;
    itsFileBytes = 0;
    itsErrorString.clear();
    itsPath = path;
    // O_EXCL refuses an existing file in the same call that creates it, so nothing slips in between; a file
    // that is replaced is emptied only once it is known to be a file.
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_WRONLY | O_CREAT | RECORDING_OPEN_FLAGS | (replace ? 0 : O_EXCL), 0666);
    if (descriptor < 0)
    {
        const int error = errno;
        // Without a reader a FIFO refuses a non-blocking open with ENXIO, and O_EXCL a folder with EEXIST:
        // neither would say what is wrong.
        struct stat status;
        if (::stat(QFile::encodeName(path).constData(), &status) == 0 && !S_ISREG(status.st_mode))
            return refuse(QStringLiteral("%1 is not a regular file").arg(path));
        itsRefusedExisting = error == EEXIST;
        if (itsRefusedExisting)
            return refuse(QStringLiteral("%1 exists already").arg(path));
        return refuse(cannotWrite(path, error));
    }
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
    {
        ::close(descriptor);
        return refuse(QStringLiteral("%1 is not a regular file").arg(path));
    }
    itsDescriptor = descriptor;
    if (replace && ::ftruncate(itsDescriptor, 0) != 0)
    {
        const int error = errno;
        closeFile();
        return refuse(cannotWrite(path, error));
    }
    // The offset of the time column is fixed for a recording, so its times sort as written even across a
    // change to summer time.
    itsUtcOffsetSeconds = QDateTime::currentDateTime().offsetFromUtc();
    const QByteArray header = RecordingFormat::header();
    if (writeAll(header) != header.size())
    {
        const int error = errno;
        closeFile();
        return refuse(cannotWrite(path, error));
    }
    itsFileBytes = header.size();
    return true;
}

bool MeasurementRecorder::refuse(const QString& reason)
{
    itsErrorString = reason;
    return false;
}

void MeasurementRecorder::stop()
{
    if (!isRecording())
        return;
    flush();
    closeFile();
}

void MeasurementRecorder::closeFile()
{
    if (itsDescriptor >= 0)
        ::close(itsDescriptor);
    itsDescriptor = -1;
    itsFlushTimer->stop();
}

qint64 MeasurementRecorder::writeAll(const QByteArray& bytes)
{
    qint64 written = 0;
    while (written < bytes.size())
    {
        const ssize_t count =
            ::write(itsDescriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
        {
            if (count == 0)
                errno = ENOSPC;
            break;
        }
        written += count;
    }
    return written;
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
    const qint64 written = writeAll(itsBuffer);
    if (written != itsBuffer.size())
    {
        const int error = errno;
        // The disk took part of a row: cut it off, so the file ends with a whole row and every program that
        // reads it, this one's replay included, reads it right.
        const qint64 wholeRows = itsBuffer.lastIndexOf('\n', int(written) - 1) + 1;
        itsRowCount -= itsBuffer.mid(int(wholeRows)).count('\n');
        if (::ftruncate(itsDescriptor, itsFileBytes + wholeRows) != 0)
            qWarning("Cannot cut the partial row off %s: %s", qPrintable(itsPath), std::strerror(errno));
        fail(QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    itsFileBytes += written;
    itsBuffer.clear();
    // Writing into a file that was deleted succeeds and goes nowhere; say so instead of recording into it.
    struct stat status;
    if (::fstat(itsDescriptor, &status) == 0 && status.st_nlink == 0)
        fail(QStringLiteral("the file was removed"));
}

void MeasurementRecorder::fail(const QString& reason)
{
    itsErrorString = QStringLiteral("Recording stopped: cannot write %1: %2").arg(itsPath, reason);
    itsBuffer.clear();
    closeFile();
    emit failed(itsErrorString);
}
