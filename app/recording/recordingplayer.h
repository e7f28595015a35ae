#ifndef LIDORA_RECORDINGPLAYER_H
#define LIDORA_RECORDINGPLAYER_H

#include "measurementsample.h"

#include "Tools/elapsedtimer.h"

#include <QObject>
#include <QVector>

class QTimer;

// Plays a recording at the pace it was recorded: hands out one sample after the other when its time has
// come, counted from the start, so a slow event loop catches up instead of stretching the recording.
// The whole file is read and checked before the first sample goes out. Knows no widget.
class RecordingPlayer : public QObject
{
    Q_OBJECT

public:
    explicit RecordingPlayer(QObject* parent = nullptr);

    // Reads the recording; false with the reason in errorString() when it is not one.
    bool open(const QString& path);
    QString errorString() const { return itsErrorString; }
    QString fileName() const { return itsFileName; }
    bool isPlaying() const { return itsPlaying; }

    void start();
    // Ends the replay without finished().
    void stop();

signals:
    void sampleDue(const MeasurementSample& sample);
    // The last sample was played.
    void finished();

private slots:
    void onItsTimerTimeout();

private:
    QVector<MeasurementSample> itsSamples;
    int itsNext = 0;
    bool itsPlaying = false;
    QString itsFileName;
    QString itsErrorString;
    QTimer* itsTimer = nullptr;
    NoxCore::Tools::ElapsedTimer itsSinceStart;
};

#endif
