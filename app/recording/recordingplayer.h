#ifndef LIDORA_RECORDINGPLAYER_H
#define LIDORA_RECORDINGPLAYER_H

#include "measurementsample.h"
#include "recordingreader.h"

#include "Tools/elapsedtimer.h"

#include <QObject>
#include <QString>

class QTimer;

// Plays a recording at the pace it was recorded. First the whole file is read and checked, so that a file
// that is not a recording is refused before anything of it is shown; then it is read again while it plays.
// Both passes read row by row, a line of memory whatever the file's length, and in slices between which
// the event loop gets its turn: neither a huge file nor thousands of samples due at once freeze the window.
// A sample goes out when its time has come, counted from the start, so a slow event loop catches up
// instead of stretching the recording. A pause longer than MAX_PAUSE_MS is played as MAX_PAUSE_MS.
// Samples carry the time they are shown; their time in the file goes along as originalTimeMs. Knows no
// widget. GUI thread only.
class RecordingPlayer : public QObject
{
    Q_OBJECT

public:
    // A laptop suspended during a recording, or an automation client that asked once an hour, would keep the
    // replay waiting for hours.
    static constexpr qint64 MAX_PAUSE_MS = 5000;
    // The event loop gets its turn after this much work or this many rows, whichever comes first.
    static constexpr qint64 SLICE_MS = 20;
    static constexpr int SLICE_ROWS = 2000;
    static constexpr int SLICE_SAMPLES = 200;

    explicit RecordingPlayer(QObject* parent = nullptr);

    // Starts checking the file; started() follows once it passed, failed() when it is no recording. False at
    // once, with the reason in errorString(), when the file cannot be opened.
    bool play(const QString& path);
    // Ends the check or the replay without any further signal.
    void stop();

    bool isChecking() const { return itsPhase == Phase::Checking; }
    bool isPlaying() const { return itsPhase == Phase::Playing; }
    bool isActive() const { return itsPhase != Phase::Idle; }
    QString fileName() const { return itsReader.fileName(); }
    QString errorString() const { return itsErrorString; }
    // The check found pauses that the replay shortens.
    bool shortensPauses() const { return itsShortensPauses; }

signals:
    // How much of the file has been checked, 0 to 100.
    void checking(int percent);
    // The file is a recording; its samples follow.
    void started();
    void sampleDue(const MeasurementSample& sample);
    // The last sample was played.
    void finished();
    // The file is not a recording, or changed while it played; the text names the file and the line.
    void failed(const QString& message);

private slots:
    void onItsTimerTimeout();

private:
    enum class Phase
    {
        Idle,
        Checking,
        Playing
    };

    void checkSlice();
    void playSlice();
    // Reads the next sample and places it on the replay's time line.
    bool readAhead();
    void fail();

    RecordingReader itsReader;
    QString itsPath;
    QString itsErrorString;
    Phase itsPhase = Phase::Idle;
    QTimer* itsTimer = nullptr;
    int itsPercent = -1;
    bool itsShortensPauses = false;
    MeasurementSample itsNext;
    bool itsHasNext = false;
    qint64 itsStartMs = 0;
    qint64 itsPreviousOriginalMs = 0;
    // Where the next sample lies on the replay's time line, ms after the start.
    qint64 itsNextOffsetMs = 0;
    NoxCore::Tools::ElapsedTimer itsSinceStart;
};

#endif
