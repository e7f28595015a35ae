#ifndef LIDORA_HEADLESSRUNNER_H
#define LIDORA_HEADLESSRUNNER_H

#include "controllogic.h"
#include "measurementcycle.h"
#include "measurementrecorder.h"

#include "Communication/nodestatecontext.h"

#include <QObject>
#include <QTimer>

#include <cstdio>

// The demo without a window, for a PC without a screen: the board's stack, the measurement cycle every
// 33 ms, the automation server, recording and tracing, all as the window runs them. Says on one line
// when the board comes and when it goes. Runs under a QCoreApplication; no display is needed.
class HeadlessRunner : public QObject
{
    Q_OBJECT

public:
    // tracer (may be null) records what the program says to the module; status lines go to statusOutput.
    HeadlessRunner(NoxCore::Tracing::Tracer* tracer, MeasurementSource boardSource, FILE* statusOutput,
                   QObject* parent = nullptr);

    MeasurementRecorder& recorder() { return itsRecorder; }

private slots:
    void onModuleStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                              int currentState);
    void onItsRecorderFailed(const QString& message);

private:
    void reportBoard();

    ControlLogic itsControlLogic;
    MeasurementCycle itsCycle;
    MeasurementRecorder itsRecorder;
    QTimer itsTimer;
    FILE* itsStatusOutput;
    MeasurementSource itsBoardSource;
    int itsBoardReported = -1;
};

#endif
