#include "recordingplayer.h"

#include "Tools/clock.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace
{

const qint64 MAX_TIMER_WAIT_MS = 100;

} // namespace

RecordingPlayer::RecordingPlayer(QObject* parent) : QObject(parent), itsTimer(new QTimer(this))
{
    itsTimer->setSingleShot(true);
    itsTimer->setTimerType(Qt::PreciseTimer);
    connect(itsTimer, &QTimer::timeout, this, &RecordingPlayer::onItsTimerTimeout);
}

bool RecordingPlayer::play(const QString& path)
{
    stop();
    if (!itsReader.open(path))
    {
        itsErrorString = itsReader.errorString();
        return false;
    }
    itsPath = path;
    itsErrorString.clear();
    itsPercent = -1;
    itsShortensPauses = false;
    itsPhase = Phase::Checking;
    itsTimer->start(0);
    return true;
}

void RecordingPlayer::stop()
{
    itsTimer->stop();
    itsPhase = Phase::Idle;
    itsHasNext = false;
}

void RecordingPlayer::onItsTimerTimeout()
{
    if (isChecking())
        checkSlice();
    else if (isPlaying())
        playSlice();
}

void RecordingPlayer::checkSlice()
{
    // The slices are measured in real time: they are about the window's response, not the recording's pace.
    QElapsedTimer slice;
    slice.start();
    MeasurementSample sample;
    for (int rows = 0; rows < SLICE_ROWS && !slice.hasExpired(SLICE_MS); ++rows)
    {
        if (!itsReader.next(sample))
        {
            if (itsReader.hasFailed())
            {
                fail();
                return;
            }
            // Checked: play it from the start.
            if (!itsReader.open(itsPath))
            {
                fail();
                return;
            }
            itsPhase = Phase::Playing;
            itsStartMs = NoxCore::Tools::Clock::currentMSecsSinceEpoch();
            itsNextOffsetMs = 0;
            itsHasNext = false;
            itsSinceStart.start();
            emit started();
            if (isPlaying() && readAhead())
                itsTimer->start(0);
            return;
        }
        if (itsReader.rowCount() > 1 && sample.timeMs - itsPreviousOriginalMs > MAX_PAUSE_MS)
            itsShortensPauses = true;
        itsPreviousOriginalMs = sample.timeMs;
    }
    const int percent = itsReader.size() > 0 ? int(itsReader.bytesRead() * 100 / itsReader.size()) : 100;
    if (percent != itsPercent)
    {
        itsPercent = percent;
        emit checking(percent);
    }
    if (isChecking())
        itsTimer->start(0);
}

bool RecordingPlayer::readAhead()
{
    MeasurementSample sample;
    if (!itsReader.next(sample))
    {
        itsHasNext = false;
        if (itsReader.hasFailed())
            fail();
        return false;
    }
    if (itsReader.rowCount() > 1)
        itsNextOffsetMs += std::min(sample.timeMs - itsPreviousOriginalMs, MAX_PAUSE_MS);
    itsPreviousOriginalMs = sample.timeMs;
    sample.originalTimeMs = sample.timeMs;
    sample.timeMs = itsStartMs + itsNextOffsetMs;
    itsNext = sample;
    itsHasNext = true;
    return true;
}

void RecordingPlayer::playSlice()
{
    QElapsedTimer slice;
    slice.start();
    // What is due goes out, a slice at a time; a listener may stop the replay in between.
    for (int count = 0; count < SLICE_SAMPLES && !slice.hasExpired(SLICE_MS); ++count)
    {
        if (!isPlaying() || !itsHasNext || itsNextOffsetMs > itsSinceStart.elapsed())
            break;
        const MeasurementSample due = itsNext;
        if (!readAhead() && !isPlaying())
            return;
        emit sampleDue(due);
    }
    if (!isPlaying())
        return;
    if (!itsHasNext)
    {
        itsPhase = Phase::Idle;
        emit finished();
        return;
    }
    // The time line is the program's clock, which tests drive by hand: a pause is waited out in short steps
    // that look at it again.
    itsTimer->start(int(std::clamp<qint64>(itsNextOffsetMs - itsSinceStart.elapsed(), 0, MAX_TIMER_WAIT_MS)));
}

void RecordingPlayer::fail()
{
    itsErrorString = itsReader.errorString();
    stop();
    emit failed(itsErrorString);
}
