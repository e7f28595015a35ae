#include "recordingplayer.h"

#include "recordingreader.h"

#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace
{

const qint64 MAX_WAIT_MS = 60 * 60 * 1000;

} // namespace

RecordingPlayer::RecordingPlayer(QObject* parent) : QObject(parent), itsTimer(new QTimer(this))
{
    itsTimer->setSingleShot(true);
    itsTimer->setTimerType(Qt::PreciseTimer);
    connect(itsTimer, &QTimer::timeout, this, &RecordingPlayer::onItsTimerTimeout);
}

bool RecordingPlayer::open(const QString& path)
{
    stop();
    RecordingReader reader;
    if (!reader.read(path))
    {
        itsErrorString = reader.errorString();
        return false;
    }
    itsSamples = reader.samples();
    itsFileName = QFileInfo(path).fileName();
    return true;
}

void RecordingPlayer::start()
{
    itsNext = 0;
    itsPlaying = true;
    itsSinceStart.start();
    itsTimer->start(0);
}

void RecordingPlayer::stop()
{
    itsTimer->stop();
    itsPlaying = false;
}

void RecordingPlayer::onItsTimerTimeout()
{
    const qint64 firstMs = itsSamples.first().timeMs;
    const qint64 playedMs = itsSinceStart.elapsed();
    // Everything that is due goes out now; a listener may stop the replay in between.
    while (itsPlaying && itsNext < itsSamples.size() && itsSamples.at(itsNext).timeMs - firstMs <= playedMs)
        emit sampleDue(itsSamples.at(itsNext++));
    if (!itsPlaying)
        return;
    if (itsNext < itsSamples.size())
    {
        // A long pause in the recording is waited out in pieces a timer can hold.
        itsTimer->start(int(std::min(itsSamples.at(itsNext).timeMs - firstMs - playedMs, MAX_WAIT_MS)));
        return;
    }
    itsPlaying = false;
    emit finished();
}
