#ifndef LIDORA_HEADLESSRUNNER_H
#define LIDORA_HEADLESSRUNNER_H

#include "measurementengine.h"

#include "Communication/nodestatecontext.h"

#include <QObject>

#include <cstdio>

// The demo without a window, for a PC without a screen: the measurement engine the window runs, with a
// console report instead of a read-out. Says on one line when the board comes and when it goes. Runs under
// a QCoreApplication; no display is needed. Ends the event loop with 3 when its recording fails (the run
// exists for its file), and at the end of a replay it was asked to play: with 0, or 2 for a file that is
// not a recording.
class HeadlessRunner : public QObject
{
    Q_OBJECT

public:
    // tracer (may be null) records what the program says to the module; status lines go to statusOutput.
    HeadlessRunner(NoxCore::Tracing::Tracer* tracer, MeasurementSource boardSource, FILE* statusOutput,
                   QObject* parent = nullptr);
    ~HeadlessRunner() override;

    MeasurementEngine& engine() { return itsEngine; }
    MeasurementRecorder& recorder() { return itsEngine.recorder(); }
    // Opens the board and starts measuring; the files of --record and --play are checked before.
    void start();
    // Replays the recording and ends the run when the replay has ended. False, with the reason in
    // errorText, when the file cannot be opened.
    bool play(const QString& path, QString* errorText);

    static constexpr int EXIT_REPLAY_REFUSED = 2;
    static constexpr int EXIT_RECORDING_FAILED = 3;

private slots:
    void onModuleStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                              int currentState);
    void onItsEngineIdentificationFailed();
    void onItsEngineOtherInstanceFound();
    void onItsEngineRecordingFailed(const QString& message);
    void onItsEngineReplayStarted(const QString& fileName);
    void onItsEngineReplayFinished();
    void onItsEngineReplayRefused(const QString& message);

private:
    void reportBoard();

    MeasurementEngine itsEngine;
    NoxCore::Communication::NodeStateManager* itsModuleStateManager = nullptr;
    FILE* itsStatusOutput;
    MeasurementSource itsBoardSource;
    int itsBoardReported = -1;
};

#endif
