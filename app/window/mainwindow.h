#ifndef LIDORA_MAINWINDOW_H
#define LIDORA_MAINWINDOW_H

#include "controllogic.h"
#include "cyclelog.h"
#include "devicestatusbar.h"
#include "iautomationtarget.h"
#include "instancemark.h"
#include "measurementcycle.h"
#include "measurementstatistics.h"
#include "readoutlog.h"

#include "Communication/nodestatecontext.h"
#include "Tools/elapsedtimer.h"
#include "intents/iintentexecutor.h"
#include "intents/intentgroup.h"

#include <QMainWindow>
#include <QVector>

#include <memory>

class AutomationServer;
class GetCalibrationDataCommand;
class MeasurementRecorder;
class QAction;
class QCPBars;
class QCPStringLegendItem;
class QLabel;
class QTimer;
class RecordingPlayer;

namespace Ui
{
class MainWindow;
}

namespace NoxCore
{
namespace Communication
{
class ComStream;
}
namespace Tools
{
class VersionInfo;
}
} // namespace NoxCore

namespace NoxGui
{
namespace Controls
{
class AboutDialog;
}
namespace Intents
{
class IIntentExecuteParameter;
}
} // namespace NoxGui

// The demo's one window: object state, distance and a distance/confidence bar, or the screen saver when
// nobody has been present for a while. Owns the control logic with the board's communication stack, the
// 33 ms measurement timer, which runs for the whole life of the window, and the automation server, for whose
// client it measures. Everything runs on the GUI thread; exchanges with the board block it for their
// duration.
class MainWindow : public QMainWindow,
                   public NoxGui::Intents::IIntentExecutor,
                   public virtual IAutomationTarget
{
    Q_OBJECT
    Q_INTERFACES(NoxGui::Intents::IIntentExecutor)

public:
    static constexpr int MEASUREMENT_PERIOD_MS = 33;
    // The read-out follows the measurements at most this often...
    static constexpr qint64 DISPLAY_REFRESH_MS = 32;
    // ...and the state label at most this often, so it stays readable while the state flickers.
    static constexpr qint64 STATE_LABEL_REFRESH_MS = 250;
    // The history chart follows at most this often, the statistics and the recording status this often.
    static constexpr qint64 HISTORY_REFRESH_MS = 100;
    static constexpr qint64 STATISTICS_REFRESH_MS = 500;

    // tracer (may be null) records what the program says to the module.
    explicit MainWindow(QWidget* parent = nullptr, NoxCore::Tracing::Tracer* tracer = nullptr);
    ~MainWindow() override;

    // Appends every change of the read-out to a file (the --readout-log option).
    bool startReadoutLog(const QString& path, QString* errorText);
    // For benchmarks: the time of every measurement cycle into a file, written at exit (--cycle-log), and
    // measuring without drawing anything (--no-drawing), the floor that drawing is measured against.
    bool startCycleLog(const QString& path, QString* errorText);
    void setDrawingEnabled(bool enabled) { itsDrawingEnabled = enabled; }
    // How measurements of the module are labelled in recordings: a board or the simulated one.
    void setBoardSource(MeasurementSource source) { itsCycle.setBoardSource(source); }
    const MeasurementCycle& cycle() const { return itsCycle; }

    // Records every measurement to the CSV file at path (File menu, --record); an existing file is replaced
    // only when replace is set. False, with the reason in errorText, when the file cannot be written.
    bool startRecording(const QString& path, bool replace, QString* errorText);
    // Plays a recording instead of measuring, until its end (File menu). False, with the reason in
    // errorText, when the file is not a recording; nothing of it is shown then.
    bool playRecording(const QString& path, QString* errorText);
    // Writes the chart, and the history when it is shown, as PNG or (for a path ending in .pdf) PDF.
    bool saveChart(const QString& path);

    void automationStarted(Logging* writer) override;
    void automationEnded() override;
    bool isTargetConnected() override;
    QString versionRecord() override;
    QStringList calibrationLines() override;
    void selectOperationMode(int mode) override;
    void measureOnce() override { on_pbStart_clicked(); }

public slots:
    void intOpenAboutDialog_update(bool* enabled);
    void intOpenAboutDialog_execute(NoxGui::Intents::IIntentExecuteParameter* parameter);
    void onToFModuleActivated();
    void on_communicationInitialized();
    void on_communicationDeinitialized();
    void on_pbStart_clicked();
    void clickpbStartContinuous();
    void on_cbAutoScaleYDist_stateChanged(int state);
    void on_sbYAxisMaxDist_valueChanged(int currentValue);
    void on_cbContinuousMode_stateChanged(int state);
    void on_cbOperationMode_currentIndexChanged(int currentIndex);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onItsCycleMeasured(const MeasurementSample& sample);
    void onStartRecordingTriggered();
    void onStopRecordingTriggered();
    void onOpenRecordingTriggered();
    void onStopReplayTriggered();
    void onSaveChartTriggered();
    void onItsRecorderFailed(const QString& message);
    void onItsPlayerFinished();

private:
    void bindStatusFields(ControlLogic& controlLogic);
    void unbindStatusFields(ControlLogic& controlLogic);
    void buildMenus();
    void sendTargetConfiguration();
    bool executeCalibrationRequest(GetCalibrationDataCommand& command);
    bool isModuleStreamOpen() const;
    void setUpBarChart();
    void startAutomationServer();
    void checkSingleInstance();
    void updateObjectDisplay();
    void buildRecordingMenu();
    void buildViewMenu();
    void endReplay();
    void updateRecordingStatus();
    void updateActions();
    void showWarning(const QString& text);

    NoxGui::Intents::IntentGroup itsToolBarIntentGroup;
    DeviceStatusBar itsDeviceStatusBar;
    ControlLogic itsControlLogic;
    NoxGui::Controls::AboutDialog* itsAboutDialog = nullptr;
    NoxCore::Tools::VersionInfo* itsVersionInfo = nullptr;
    QList<NoxGui::Intents::IntentGroup*> itsIntentGroups;
    Ui::MainWindow* ui;
    QTimer* itsContinuousTimer = nullptr;
    InstanceMark itsInstanceMark;
    QCPBars* itsBars = nullptr;
    QCPStringLegendItem* itsPeakLegendItem = nullptr;
    QCPStringLegendItem* itsConfidenceLegendItem = nullptr;
    QCPStringLegendItem* itsPhotonCountReferenceLegendItem = nullptr;
    QCPStringLegendItem* itsPhotonCountObjectLegendItem = nullptr;
    QVector<double> itsBarKeys;
    QVector<double> itsBarValues;
    QString itsSerialNumber;
    QString itsApp0Revision;
    QString itsDriverRevision;
    QString itsExtraRevision;
    QString itsChipRevision;
    NoxCore::Communication::ComStream* itsModuleStream = nullptr;
    NoxCore::Tools::ElapsedTimer itsDisplayTimer;
    AutomationServer* itsAutomationServer = nullptr;
    bool itsAutomationActive = false;
    qint64 itsLastStateLabelUpdateMs;
    std::unique_ptr<ReadoutLog> itsReadoutLog;
    std::unique_ptr<CycleLog> itsCycleLog;
    bool itsDrawingEnabled = true;

    MeasurementCycle itsCycle;
    MeasurementStatistics itsStatistics;
    MeasurementRecorder* itsRecorder = nullptr;
    RecordingPlayer* itsPlayer = nullptr;
    QLabel* itsRecordingLabel = nullptr;
    QString itsBannerText;
    NoxCore::Tools::ElapsedTimer itsHistoryTimer;
    NoxCore::Tools::ElapsedTimer itsStatisticsTimer;
    QAction* itsStartRecordingAction = nullptr;
    QAction* itsStopRecordingAction = nullptr;
    QAction* itsStopReplayAction = nullptr;
};

#endif
