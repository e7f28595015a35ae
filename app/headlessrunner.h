#ifndef LIDORA_HEADLESSRUNNER_H
#define LIDORA_HEADLESSRUNNER_H

#include "controllogic.h"
#include "getserialnumbercommand.h"
#include "iautomationtarget.h"
#include "measurementcycle.h"
#include "measurementrecorder.h"

#include "Communication/nodestatecontext.h"
#include "Tools/elapsedtimer.h"
#include "Tools/versioninfo.h"

#include <QObject>
#include <QTimer>

#include <cstdio>

class AutomationServer;

// The demo without a window, for a PC without a screen: the board's stack, the measurement cycle every
// 33 ms, the automation server, recording and tracing, all the same objects the window runs. Says on one
// line when the board comes and when it goes. Runs under a QCoreApplication; no display is needed.
class HeadlessRunner : public QObject, public virtual IAutomationTarget
{
    Q_OBJECT

public:
    // tracer (may be null) records what the program says to the module; status lines go to statusOutput.
    HeadlessRunner(NoxCore::Tracing::Tracer* tracer, MeasurementSource boardSource, FILE* statusOutput,
                   QObject* parent = nullptr);
    ~HeadlessRunner() override;

    MeasurementRecorder& recorder() { return itsRecorder; }

    void automationStarted(Logging* writer) override;
    void automationEnded() override;
    bool isTargetConnected() override { return itsCycle.isModuleStreamOpen(); }
    QString versionRecord() override;
    QStringList calibrationLines() override;
    void selectOperationMode(int mode) override;
    void measureOnce() override { itsCycle.measure(); }

private slots:
    void onItsTimerTimeout();
    void onModuleStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                              int currentState);
    void onToFModuleActivated();
    void onItsRecorderFailed(const QString& message);

private:
    void reportBoard();
    void sendOperationMode();

    ControlLogic itsControlLogic;
    MeasurementCycle itsCycle;
    MeasurementRecorder itsRecorder;
    QTimer itsTimer;
    NoxCore::Tools::ElapsedTimer itsSinceMeasurement;
    NoxCore::Tools::VersionInfo itsVersionInfo;
    GetSerialNumberCommand itsIdentification;
    AutomationServer* itsAutomationServer = nullptr;
    NoxCore::Communication::NodeStateManager* itsModuleStateManager = nullptr;
    int itsOperationMode = IAutomationTarget::DISTANCE_PROXIMITY_MODE;
    FILE* itsStatusOutput;
    MeasurementSource itsBoardSource;
    int itsBoardReported = -1;
};

#endif
