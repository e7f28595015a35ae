#ifndef LIDORA_MEASUREMENTENGINE_H
#define LIDORA_MEASUREMENTENGINE_H

#include "controllogic.h"
#include "cyclelog.h"
#include "iautomationtarget.h"
#include "instancemark.h"
#include "measurementcycle.h"
#include "measurementrecorder.h"
#include "measurementstatistics.h"
#include "moduleidentification.h"
#include "recordingplayer.h"

#include "Tools/elapsedtimer.h"
#include "Tools/versioninfo.h"

#include <QObject>
#include <QTimer>

#include <memory>

class AutomationServer;

// Everything that measures, for the window and headless mode alike: the board's stack through the control
// logic, the 33 ms measurement timer, the measurement cycle, statistics, recording, replay, the module's
// identification, the automation server it serves and the single-instance mark. Knows no widget and calls
// no face: what happened goes out as signals, so that both faces see one behaviour. GUI thread only.
class MeasurementEngine : public QObject, public virtual IAutomationTarget
{
    Q_OBJECT

public:
    static constexpr int MEASUREMENT_PERIOD_MS = 33;

    // tracer (may be null) records what the program says to the module. Builds the stack's nodes; start()
    // opens them, once the faces have connected to what they show.
    explicit MeasurementEngine(NoxCore::Tracing::Tracer* tracer = nullptr, QObject* parent = nullptr);
    ~MeasurementEngine() override;

    // Opens the board synchronously while it answers, sends the operation mode, starts the measurement
    // timer, listens on the automation port and checks the single-instance mark, in this order.
    void start();

    ControlLogic& controlLogic() { return itsControlLogic; }
    bool isModuleStreamOpen() const { return itsCycle.isModuleStreamOpen(); }
    // The program's own version strings; the about dialog takes them by pointer.
    NoxCore::Tools::VersionInfo& versionInfo() { return itsVersionInfo; }
    const NoxCore::Tools::VersionInfo& versionInfo() const { return itsVersionInfo; }
    const ModuleIdentification& identification() const { return itsIdentification; }
    const MeasurementCycle& cycle() const { return itsCycle; }
    const MeasurementStatistics& statistics() const { return itsStatistics; }
    const MeasurementRecorder& recorder() const { return itsRecorder; }
    // For a face that starts the recording before the engine runs (the --record option).
    MeasurementRecorder& recorder() { return itsRecorder; }
    const RecordingPlayer& player() const { return itsPlayer; }
    bool isReplaying() const { return itsPlayer.isPlaying(); }
    bool isAutomationActive() const { return itsAutomationActive; }
    int operationMode() const { return itsOperationMode; }

    // How measurements of the module are labelled in recordings: a board or the simulated one.
    void setBoardSource(MeasurementSource source) { itsCycle.setBoardSource(source); }
    // Whether a tick of the timer measures; switched off while an automation client is served.
    void setContinuous(bool continuous) { itsContinuous = continuous; }
    bool isContinuous() const { return itsContinuous; }
    // For benchmarks: the time of every measurement cycle into a file, written at exit (--cycle-log).
    bool startCycleLog(const QString& path, QString* errorText);

    // Records every measurement to the CSV file at path; an existing file is replaced only when replace is
    // set. False, with the reason in errorText, when the file cannot be written.
    bool startRecording(const QString& path, bool replace, QString* errorText);
    void stopRecording();
    // Plays a recording instead of measuring, until its end or stopReplay(). False, with the reason in
    // errorText, when the file is not a recording; nothing of it is shown then.
    bool playRecording(const QString& path, QString* errorText);
    void stopReplay();

    // One measurement cycle, unless a replay holds the read-out.
    void measure();

    void automationStarted(Logging* writer) override;
    void automationEnded() override;
    bool isTargetConnected() override;
    QString versionRecord() override;
    QStringList calibrationLines() override;
    void selectOperationMode(int mode) override;
    void measureOnce() override { measure(); }

signals:
    void measured(const MeasurementSample& sample);
    // The module's identification was read; identification() holds it.
    void moduleIdentified();
    // The module came up but did not say who it is; the identification stays what it was.
    void identificationFailed();
    // The single-instance mark belongs to another instance, which is likely to hold the board.
    void otherInstanceFound();
    void operationModeChanged(int mode);
    void automationClientConnected();
    void automationClientDisconnected();
    // Recording started or stopped, also when it failed (then recordingFailed() says why).
    void recordingChanged();
    void recordingFailed(const QString& message);
    void replayStarted(const QString& fileName);
    void replayEnded();

public slots:
    void onToFModuleActivated();

private slots:
    void onItsTimerTimeout();
    void onItsRecorderFailed(const QString& message);
    void onItsPlayerFinished();

private:
    void sendOperationMode();
    void restartFromCleanSlate();

    ControlLogic itsControlLogic;
    NoxCore::Tools::VersionInfo itsVersionInfo;
    ModuleIdentification itsIdentification;
    MeasurementCycle itsCycle;
    MeasurementStatistics itsStatistics;
    MeasurementRecorder itsRecorder;
    RecordingPlayer itsPlayer;
    QTimer itsTimer;
    NoxCore::Tools::ElapsedTimer itsSinceMeasurement;
    InstanceMark itsInstanceMark;
    AutomationServer* itsAutomationServer = nullptr;
    std::unique_ptr<CycleLog> itsCycleLog;
    int itsOperationMode = IAutomationTarget::DISTANCE_PROXIMITY_MODE;
    bool itsContinuous = true;
    bool itsAutomationActive = false;
};

#endif
