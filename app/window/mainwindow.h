#ifndef LIDORA_MAINWINDOW_H
#define LIDORA_MAINWINDOW_H

#include "devicestatusbar.h"
#include "measurementengine.h"
#include "programintents.h"
#include "readoutlog.h"

#include "Tools/elapsedtimer.h"
#include "intents/iintentexecutor.h"
#include "intents/intentgroup.h"

#include <QMainWindow>
#include <QVector>

#include <memory>

class ChartExport;
class QCPBars;
class QCPStringLegendItem;
class RecordingMenu;

namespace Ui
{
class MainWindow;
}

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
// nobody has been present for a while, with history, statistics and the measurement panel on demand. Owns
// the measurement engine (the control logic with the board's communication stack, the 33 ms measurement
// timer and the automation server) and is a view of it: it shows what the engine says and hands the user's
// choices to it. Everything runs on the GUI thread; exchanges with the board block it for their duration.
class MainWindow : public QMainWindow, public NoxGui::Intents::IIntentExecutor
{
    Q_OBJECT
    Q_INTERFACES(NoxGui::Intents::IIntentExecutor)

public:
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

    MeasurementEngine& engine() { return itsEngine; }

    // Appends every change of the read-out to a file (the --readout-log option).
    bool startReadoutLog(const QString& path, QString* errorText);
    // For benchmarks: the time of every measurement cycle into a file, written at exit (--cycle-log), and
    // measuring without drawing anything (--no-drawing), the floor that drawing is measured against.
    bool startCycleLog(const QString& path, QString* errorText)
    {
        return itsEngine.startCycleLog(path, errorText);
    }
    void setDrawingEnabled(bool enabled) { itsDrawingEnabled = enabled; }
    void setBoardSource(MeasurementSource source) { itsEngine.setBoardSource(source); }
    // The File menu's, and the --record option's, recording.
    bool startRecording(const QString& path, bool replace, QString* errorText)
    {
        return itsEngine.startRecording(path, replace, errorText);
    }

public slots:
    void intOpenAboutDialog_update(bool* enabled);
    void intOpenAboutDialog_execute(NoxGui::Intents::IIntentExecuteParameter* parameter);
    void on_communicationInitialized();
    void on_communicationDeinitialized();
    void on_pbStart_clicked();
    void on_cbAutoScaleYDist_stateChanged(int state);
    void on_sbYAxisMaxDist_valueChanged(int currentValue);
    void on_cbContinuousMode_stateChanged(int state);
    void on_cbOperationMode_currentIndexChanged(int currentIndex);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onItsEngineMeasured();
    void onItsEngineModuleIdentified();
    void onItsEngineIdentificationFailed();
    void onItsEngineOtherInstanceFound();
    void onItsEngineAutomationClientConnected();
    void onItsEngineAutomationClientDisconnected();
    void onItsEngineReplayStarted(const QString& fileName);
    void onItsEngineReplayEnded();

private:
    void bindStatusFields(ControlLogic& controlLogic);
    void unbindStatusFields(ControlLogic& controlLogic);
    void buildMenus();
    void buildFileMenu();
    void buildViewMenu();
    void connectEngine();
    void setUpBarChart();
    void updateObjectDisplay();

    NoxGui::Intents::IntentGroup itsToolBarIntentGroup;
    ProgramIntents itsProgramIntents;
    MeasurementEngine itsEngine;
    DeviceStatusBar itsDeviceStatusBar;
    NoxGui::Controls::AboutDialog* itsAboutDialog = nullptr;
    QList<NoxGui::Intents::IntentGroup*> itsIntentGroups;
    Ui::MainWindow* ui;
    QCPBars* itsBars = nullptr;
    QCPStringLegendItem* itsPeakLegendItem = nullptr;
    QCPStringLegendItem* itsConfidenceLegendItem = nullptr;
    QCPStringLegendItem* itsPhotonCountReferenceLegendItem = nullptr;
    QCPStringLegendItem* itsPhotonCountObjectLegendItem = nullptr;
    QVector<double> itsBarKeys;
    QVector<double> itsBarValues;
    NoxCore::Tools::ElapsedTimer itsDisplayTimer;
    qint64 itsLastStateLabelUpdateMs;
    std::unique_ptr<ReadoutLog> itsReadoutLog;
    bool itsDrawingEnabled = true;

    RecordingMenu* itsRecordingMenu = nullptr;
    ChartExport* itsChartExport = nullptr;
    QString itsBannerText;
    NoxCore::Tools::ElapsedTimer itsHistoryTimer;
    NoxCore::Tools::ElapsedTimer itsStatisticsTimer;
};

#endif
