#ifndef LIDORA_HEADLESSRUNNER_H
#define LIDORA_HEADLESSRUNNER_H

#include "measurementengine.h"

#include "Communication/nodestatecontext.h"

#include <QObject>

#include <cstdio>

// The demo without a window, for a PC without a screen: the measurement engine the window runs, with a
// console report instead of a read-out. Says on one line when the board comes and when it goes. Runs under
// a QCoreApplication; no display is needed.
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

private slots:
    void onModuleStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                              int currentState);
    void onItsEngineIdentificationFailed();
    void onItsEngineOtherInstanceFound();
    void onItsEngineRecordingFailed(const QString& message);

private:
    void reportBoard();

    MeasurementEngine itsEngine;
    NoxCore::Communication::NodeStateManager* itsModuleStateManager = nullptr;
    FILE* itsStatusOutput;
    MeasurementSource itsBoardSource;
    int itsBoardReported = -1;
};

#endif
