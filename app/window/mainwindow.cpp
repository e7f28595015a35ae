#include "mainwindow.h"

#include "automationserver.h"
#include "getcalibrationdatacommand.h"
#include "getserialnumbercommand.h"
#include "logging.h"
#include "measurementrecorder.h"
#include "objectstate.h"
#include "qcpstringlegenditem.h"
#include "recordingplayer.h"
#include "targetconfigurationcommand.h"
#include "ui_mainwindow.h"

#include "Communication/communicationstackelement.h"
#include "Communication/comstream.h"
#include "Communication/nodestatemanager.h"
#include "Tools/clock.h"
#include "Tools/versioninfo.h"
#include "barcreator.h"
#include "controls/aboutdialog.h"
#include "controls/noxstatusfield.h"
#include "hidcomdriver.h"
#include "intents/iintent.h"
#include "intents/intentmanager.h"
#include "tools/windowhelper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSize>
#include <QPdfWriter>
#include <QSettings>
#include <QTimer>

#include <cmath>

using NoxCore::Tools::Clock;

// The screen-saver picture lives in the static application library; register it before the form
// refers to it. Q_INIT_RESOURCE must be called outside any namespace.
static void ensureAppResources()
{
    static const bool registered = []
    {
        Q_INIT_RESOURCE(app);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace
{

// States of the automation status field.
const int AUTOMATION_LOCAL_STATE = 1;
const int AUTOMATION_ON_STATE = 2;
const int SLOW_CALIBRATION_TIMEOUT_MS = 5000;

// How each object state looks in the read-out, indexed by its value.
struct StateLook
{
    const char* text;
    const char* labelStyleSheet;
    QColor barColour;
};

const StateLook STATE_LOOKS[] = {
    {"No Object Detected", "QLabel { color: black; }", QColor(0, 0, 0, 0)},
    {"Object Too Close", "QLabel { color: rgb(200, 10, 10); }", QColor(200, 10, 10, 160)},
    {"Presence Detected", "QLabel { color: rgb(10, 140, 10); }", QColor(10, 140, 10, 160)},
    {"Far Object Detected", "QLabel { color: rgb(10, 10, 140); }", QColor(10, 10, 140, 160)},
    {"Static Object Detected", "QLabel { color: black; }", QColor(0, 0, 0, 255)},
};

const StateLook& lookOf(int state)
{
    const bool known = state >= STATE_NO_OBJECT && state <= STATE_STATIC;
    return STATE_LOOKS[known ? state : STATE_NO_OBJECT];
}

const int CONFIDENCE_MASK = 63;
const double BAR_AXIS_MAX_MM = 3000.0;
const double BAR_WIDTH_MM = 60.0;
const double CONFIDENCE_AXIS_MAX = 64.0;
// In proximity mode the bar chart shows the near range only.
const double PROXIMITY_AXIS_MAX = 100.0;
const double PROXIMITY_BAR_WIDTH = 2.0;
// With auto scale the distance plot shows the newest three seconds.
const double DISTANCE_PLOT_SPAN_MS = 3000.0;

// Which panels the user chose to see, kept in the user's settings.
const char* const SETTINGS_ORGANISATION = "nox";
const char* const SETTINGS_APPLICATION = "LIDORA";
const char* const VIEW_HISTORY_KEY = "View/History";
const char* const VIEW_STATISTICS_KEY = "View/Statistics";
const char* const VIEW_MEASUREMENT_PANEL_KEY = "View/MeasurementPanel";

QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLatin1(SETTINGS_ORGANISATION), QString::fromLatin1(SETTINGS_APPLICATION));
}

// "1:05" for 65 s; hours only when there are any.
QString lengthText(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return seconds >= 3600
               ? QString::asprintf("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60)
               : QString::asprintf("%lld:%02lld", seconds / 60, seconds % 60);
}

} // namespace

MainWindow::MainWindow(QWidget* parent, NoxCore::Tracing::Tracer* tracer)
    : QMainWindow(parent), itsToolBarIntentGroup(QStringLiteral("ToolBar")), itsDeviceStatusBar(this),
      ui(new Ui::MainWindow), itsLastStateLabelUpdateMs(Clock::currentMSecsSinceEpoch())
{
    // The order matters: the stack must exist before the status fields are bound, and the module stream
    // must be known before the plot and the single-instance check use it.
    NoxGui::WindowHelper::loadStyleSheet(qApp);
    ensureAppResources();
    ui->setupUi(this);

    ui->gbTof->hide();
    // The test-mode banner comes and goes with the board. Its row stays reserved, so the plots keep their
    // size instead of being laid out again, with new 3 MB paint buffers, on every unplug and replug.
    QSizePolicy bannerPolicy = ui->lDemoMode->sizePolicy();
    bannerPolicy.setRetainSizeWhenHidden(true);
    ui->lDemoMode->setSizePolicy(bannerPolicy);
    ui->menuBar->setStyleSheet(QStringLiteral("background-color: white;"));

    NoxGui::Intents::IntentManager::instance()->addExecutor(this);
    itsControlLogic.initialize(tracer);

    statusBar()->addPermanentWidget(&itsDeviceStatusBar, 0);
    NoxGui::Controls::NoxStatusField* automationField = itsDeviceStatusBar.automationField();
    automationField->appendState(QStringLiteral("Local"), QStringLiteral("#009f69"),
                                 QStringLiteral("#ffffff"));
    automationField->appendState(QStringLiteral("Automation On"), QStringLiteral("#0075b0"),
                                 QStringLiteral("#ffffff"));
    bindStatusFields(itsControlLogic);

    itsControlLogic.communicationInitialized().set(this, SLOT(on_communicationInitialized()));
    itsControlLogic.communicationDeinitialized().set(this, SLOT(on_communicationDeinitialized()));

    buildMenus();
    ui->mainToolBar->hide();

    itsModuleStream = itsControlLogic.moduleStream();
    connect(&itsControlLogic, &ControlLogic::tofModuleActivated, this, &MainWindow::onToFModuleActivated);

    // Opens the nodes synchronously while the board answers: afterwards the module stream tells whether a
    // board was found.
    itsControlLogic.activate();
    itsCycle.setModuleStream(itsModuleStream);
    // Every sample reaches the statistics, the history and the recording, also while they are not shown.
    itsRecorder = new MeasurementRecorder(this);
    itsPlayer = new RecordingPlayer(this);
    connect(&itsCycle, &MeasurementCycle::measured, this, &MainWindow::onItsCycleMeasured);
    connect(&itsCycle, &MeasurementCycle::measured, ui->plotHistory, &HistoryChart::addSample);
    connect(&itsCycle, &MeasurementCycle::measured, itsRecorder, &MeasurementRecorder::record);
    connect(itsRecorder, &MeasurementRecorder::failed, this, &MainWindow::onItsRecorderFailed);
    connect(itsPlayer, &RecordingPlayer::sampleDue, &itsCycle, &MeasurementCycle::replay);
    connect(itsPlayer, &RecordingPlayer::finished, this, &MainWindow::onItsPlayerFinished);
    itsBannerText = ui->lDemoMode->text();
    itsRecordingLabel = new QLabel(this);
    statusBar()->addWidget(itsRecordingLabel);
    buildRecordingMenu();
    buildViewMenu();

    itsVersionInfo = new NoxCore::Tools::VersionInfo();
    itsVersionInfo->retrieveInfo();
    setWindowTitle(itsVersionInfo->productNameString());

    ui->gbDistanceGraph->hide();
    ui->sbYAxisMaxDist->setEnabled(false);

    // Runs for the whole life of the window; the continuous-mode check box decides whether a tick measures.
    itsContinuousTimer = new QTimer(this);
    connect(itsContinuousTimer, &QTimer::timeout, this, &MainWindow::clickpbStartContinuous);
    itsContinuousTimer->start(MEASUREMENT_PERIOD_MS);

    setUpBarChart();
    itsDisplayTimer.start();
    itsHistoryTimer.start();
    itsStatisticsTimer.start();
    sendTargetConfiguration();
    startAutomationServer();
    checkSingleInstance();
}

MainWindow::~MainWindow()
{
    itsInstanceMark.release();
    unbindStatusFields(itsControlLogic);
    NoxGui::Intents::IntentManager::instance()->removeExecutor(this);
    // The client's session must not call back into a window that is half gone.
    itsCycle.setLogging(nullptr);
    // The panels hide as the window goes; they must not draw from what is gone by then.
    ui->dwHistory->disconnect(this);
    ui->dwStatistics->disconnect(this);
    delete itsAutomationServer;
    delete ui;
    delete itsAboutDialog;
    delete itsVersionInfo;
    qDeleteAll(itsIntentGroups);
}

namespace
{

// Opens a log of the given kind, or says why it cannot be written.
template <typename Log> std::unique_ptr<Log> openLog(const QString& path, QString* errorText)
{
    auto log = std::make_unique<Log>();
    if (log->open(path))
        return log;
    if (errorText != nullptr)
        *errorText = log->errorString();
    return nullptr;
}

} // namespace

bool MainWindow::startReadoutLog(const QString& path, QString* errorText)
{
    itsReadoutLog = openLog<ReadoutLog>(path, errorText);
    return itsReadoutLog != nullptr;
}

bool MainWindow::startCycleLog(const QString& path, QString* errorText)
{
    itsCycleLog = openLog<CycleLog>(path, errorText);
    return itsCycleLog != nullptr;
}

void MainWindow::setUpBarChart()
{
    QCustomPlot* plot = ui->plotDistanceBar;
    plot->xAxis->setRange(0.0, BAR_AXIS_MAX_MM);
    plot->xAxis->setLabel(QStringLiteral("Distance [mm]"));
    plot->yAxis->setRange(0.0, CONFIDENCE_AXIS_MAX);
    plot->yAxis->setLabel(QStringLiteral("Confidence [-]"));
    plot->yAxis->setVisible(false);

    itsBars = new QCPBars(plot->xAxis, plot->yAxis);
    itsBars->setName(QStringLiteral("Object Distance & Confidence"));
    itsBars->setPen(Qt::NoPen);
    itsBars->setBrush(QBrush(QColor(10, 140, 10, 160), Qt::SolidPattern));
    itsBars->setWidth(BAR_WIDTH_MM);

    // Each row goes in on top, so the last one created is the first one shown.
    plot->legend->clearItems();
    const auto addRow = [plot](const QString& text)
    {
        auto* item = new QCPStringLegendItem(plot->legend, text);
        plot->legend->insertRow(0);
        plot->legend->addElement(0, 0, item);
        return item;
    };
    itsPhotonCountObjectLegendItem = addRow(QStringLiteral("Photon Count Object:"));
    itsPhotonCountReferenceLegendItem = addRow(QStringLiteral("Photon Count Reference:"));
    itsConfidenceLegendItem = addRow(QStringLiteral("Confidence:"));
    itsPeakLegendItem = addRow(QStringLiteral("Peak at:"));
    plot->legend->setVisible(false);
}

bool MainWindow::isModuleStreamOpen() const
{
    return itsModuleStream != nullptr && itsModuleStream->isOpen();
}

void MainWindow::bindStatusFields(ControlLogic& controlLogic)
{
    NoxCore::Communication::NodeStateManager* manager = nullptr;
    if (controlLogic.stack().tryGetStateManager(QStringLiteral("CONTROL_STREAM"), &manager))
        itsDeviceStatusBar.controlHidField()->setNodeStateManager(manager);
    if (controlLogic.stack().tryGetStateManager(QStringLiteral("MODULE_STREAM"), &manager))
        itsDeviceStatusBar.moduleHidField()->setNodeStateManager(manager);
}

void MainWindow::unbindStatusFields(ControlLogic&)
{
    itsDeviceStatusBar.moduleHidField()->clearNodeStateManager();
    itsDeviceStatusBar.controlHidField()->clearNodeStateManager();
}

void MainWindow::buildMenus()
{
    menuBar()->clear();
    auto* mainMenu = new NoxGui::Intents::IntentGroup(QStringLiteral("MainMenu"));
    auto* file = new NoxGui::Intents::IntentGroup(tr("File"));
    auto* help = new NoxGui::Intents::IntentGroup(tr("Help"));
    itsIntentGroups << mainMenu << file << help;
    mainMenu->addItem(file);
    mainMenu->addItem(help);
    NoxGui::Intents::IntentManager* intents = NoxGui::Intents::IntentManager::instance();
    if (NoxGui::Intents::IIntent* exit = intents->findIntent(QStringLiteral("intExit")))
        file->addItem(exit);
    if (NoxGui::Intents::IIntent* about = intents->findIntent(QStringLiteral("intOpenAboutDialog")))
        help->addItem(about);
    NoxGui::BarCreator::createMenuBar(menuBar(), mainMenu);
}

void MainWindow::intOpenAboutDialog_update(bool* enabled)
{
    *enabled = true;
}

void MainWindow::intOpenAboutDialog_execute(NoxGui::Intents::IIntentExecuteParameter*)
{
    if (itsAboutDialog == nullptr)
    {
        itsAboutDialog = new NoxGui::Controls::AboutDialog(nullptr);
        itsAboutDialog->setVersionInfo(itsVersionInfo);
    }
    itsAboutDialog->show();
    itsAboutDialog->raise();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (itsAboutDialog != nullptr)
    {
        itsAboutDialog->close();
        delete itsAboutDialog;
        itsAboutDialog = nullptr;
    }
    event->accept();
}

void MainWindow::on_communicationInitialized() {}

void MainWindow::on_communicationDeinitialized() {}

void MainWindow::onToFModuleActivated()
{
    if (!isModuleStreamOpen())
        return;
    GetSerialNumberCommand identification;
    itsModuleStream->execute(&identification);
    // Any failure, a time-out as much as a broken transfer, leaves the command's placeholders.
    if (itsModuleStream->lastError() != 0)
    {
        QMessageBox::warning(this, tr("Warning"), tr("Could not retrieve serial number."), QMessageBox::Ok);
        return;
    }
    itsSerialNumber = identification.serialNumber();
    itsApp0Revision = identification.app0Revision();
    itsDriverRevision = identification.driverRevision();
    itsExtraRevision = identification.extraRevision();
    itsChipRevision = identification.chipRevision();
    ui->lbSerialNumber->setText(QStringLiteral("Serial #") + itsSerialNumber);
    ui->lbApp0Revision->setText(QStringLiteral("App0 Rev. ") + itsApp0Revision);
    ui->lbDriverRevision->setText(QStringLiteral("Drv. Rev. ") + itsDriverRevision);
    ui->lbChipInfo->setText(QStringLiteral("Chip Revision: ") + itsChipRevision);
}

void MainWindow::sendTargetConfiguration()
{
    if (!isModuleStreamOpen())
        return;
    TargetConfigurationCommand configuration(1, 0, quint8(ui->cbOperationMode->currentIndex()));
    itsModuleStream->execute(&configuration);
}

void MainWindow::on_cbOperationMode_currentIndexChanged(int currentIndex)
{
    sendTargetConfiguration();
    QCustomPlot* plot = ui->plotDistanceBar;
    if (currentIndex == PROXIMITY_MODE)
    {
        plot->xAxis->setRange(0.0, PROXIMITY_AXIS_MAX);
        itsBars->setWidth(PROXIMITY_BAR_WIDTH);
    }
    else
    {
        plot->xAxis->setRange(0.0, BAR_AXIS_MAX_MM);
        itsBars->setWidth(BAR_WIDTH_MM);
    }
    plot->replot(QCustomPlot::rpRefreshHint);
}

void MainWindow::startAutomationServer()
{
    itsAutomationServer = new AutomationServer(*this, this);
    QString errorText;
    if (!itsAutomationServer->listen(AutomationServer::PORT, &errorText))
        qWarning("Automation port 127.0.0.1:%u is not available (%s); the demo runs without automation.",
                 unsigned(AutomationServer::PORT), qPrintable(errorText));
}

void MainWindow::automationStarted(Logging* writer)
{
    ui->cbContinuousMode->setChecked(false);
    ui->cbContinuousMode->setEnabled(false);
    ui->pbStart->setEnabled(false);
    itsCycle.setLogging(writer);
    NoxGui::Controls::NoxStatusField* automationField = itsDeviceStatusBar.automationField();
    automationField->setState(AUTOMATION_ON_STATE);
    automationField->show();
    itsAutomationActive = true;
}

void MainWindow::automationEnded()
{
    NoxGui::Controls::NoxStatusField* automationField = itsDeviceStatusBar.automationField();
    automationField->setState(AUTOMATION_LOCAL_STATE);
    automationField->hide();
    itsAutomationActive = false;
    itsCycle.setLogging(nullptr);
    ui->cbContinuousMode->setEnabled(true);
    ui->cbContinuousMode->setChecked(true);
    ui->pbStart->setEnabled(true);
}

bool MainWindow::isTargetConnected()
{
    // A replay holds the read-out and measures nothing: a client's command is refused rather than left
    // waiting for a measurement that never comes.
    return isModuleStreamOpen() && !itsPlayer->isPlaying();
}

QString MainWindow::versionRecord()
{
    return Logging::versionRecord(itsSerialNumber, itsApp0Revision, itsVersionInfo->productVersionString(),
                                  itsDriverRevision, itsExtraRevision, itsChipRevision);
}

QStringList MainWindow::calibrationLines()
{
    GetCalibrationDataCommand calibration(Logging::AUTOMATION_CALIBRATION_BLOCK);
    if (!executeCalibrationRequest(calibration))
        return {};
    return Logging::calibrationLines(calibration);
}

void MainWindow::selectOperationMode(int mode)
{
    ui->cbOperationMode->setCurrentIndex(mode);
}

bool MainWindow::executeCalibrationRequest(GetCalibrationDataCommand& command)
{
    if (!isModuleStreamOpen())
        return false;
    // Other blocks than 2 take the board longer to read: more time, and the user sees the wait.
    const bool slowBlock = command.calibrationBlock() != Logging::AUTOMATION_CALIBRATION_BLOCK;
    auto* driver = dynamic_cast<NoxHid::HidComDriver*>(itsModuleStream->comDriver());
    int readTimeout = 0;
    int writeTimeout = 0;
    if (slowBlock)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (driver != nullptr)
        {
            readTimeout = driver->readTimeout();
            writeTimeout = driver->writeTimeout();
            driver->setReadTimeout(SLOW_CALIBRATION_TIMEOUT_MS);
            driver->setWriteTimeout(SLOW_CALIBRATION_TIMEOUT_MS);
        }
    }
    itsModuleStream->execute(&command);
    const bool success = itsModuleStream->lastError() == 0;
    if (slowBlock)
    {
        if (driver != nullptr)
        {
            driver->setReadTimeout(readTimeout);
            driver->setWriteTimeout(writeTimeout);
        }
        QApplication::restoreOverrideCursor();
    }
    return success;
}

void MainWindow::checkSingleInstance()
{
    // An instance that reached the board owns it, so a mark left behind by a crash is reset first.
    if (itsInstanceMark.check(isModuleStreamOpen()))
        QMessageBox::warning(
            this, itsVersionInfo->productNameString(),
            tr("Could not connect to target. Is another instance of the GUI already running?\n"),
            QMessageBox::Ok);
}

void MainWindow::clickpbStartContinuous()
{
    if (ui->cbContinuousMode->checkState() != Qt::Checked)
        return;
    // Clicks and socket data get their turn between two synchronous measurements. An automation client
    // that connected just now switched continuous measurement off: it gets no measurement it did not ask for.
    QCoreApplication::processEvents();
    if (ui->cbContinuousMode->checkState() != Qt::Checked || itsPlayer->isPlaying())
        return;
    on_pbStart_clicked();
}

void MainWindow::on_pbStart_clicked()
{
    // A replay shows the recording only; live measuring resumes at its end.
    if (itsPlayer->isPlaying())
        return;
    itsCycle.measure();
    if (itsCycleLog)
        itsCycleLog->recordCycle();
}

void MainWindow::onItsCycleMeasured(const MeasurementSample& sample)
{
    itsStatistics.add(sample);
    if (!itsDrawingEnabled)
        return;
    ui->plotDistance->updateGraph(itsCycle.processor());
    on_cbAutoScaleYDist_stateChanged(ui->cbAutoScaleYDist->checkState());

    if (itsDisplayTimer.elapsed() > DISPLAY_REFRESH_MS)
    {
        itsDisplayTimer.restart();
        updateObjectDisplay();
    }
    // The panels are drawn less often than they get data: a 30 s chart moves a pixel per 40 ms or so.
    if (itsHistoryTimer.elapsed() >= HISTORY_REFRESH_MS)
    {
        itsHistoryTimer.restart();
        ui->plotHistory->refresh();
    }
    if (itsStatisticsTimer.elapsed() >= STATISTICS_REFRESH_MS)
    {
        itsStatisticsTimer.restart();
        ui->statisticsPanel->refresh(itsStatistics);
        updateRecordingStatus();
    }
}

void MainWindow::on_cbContinuousMode_stateChanged(int state)
{
    ui->pbStart->setEnabled(state != Qt::Checked);
}

void MainWindow::on_cbAutoScaleYDist_stateChanged(int state)
{
    QDistancePlot* plot = ui->plotDistance;
    ui->sbYAxisMaxDist->setEnabled(state != Qt::Checked);
    if (state == Qt::Unchecked)
    {
        plot->yAxis->setRange(0.0, ui->sbYAxisMaxDist->value());
    }
    else if (plot->graphCount() > 0)
    {
        plot->rescaleAxes(false);
        plot->xAxis->setRange(0.0, DISTANCE_PLOT_SPAN_MS, Qt::AlignRight);
    }
    plot->replot(QCustomPlot::rpRefreshHint);
}

void MainWindow::on_sbYAxisMaxDist_valueChanged(int currentValue)
{
    QDistancePlot* plot = ui->plotDistance;
    if (ui->cbAutoScaleYDist->checkState() == Qt::Unchecked)
        plot->yAxis->setRange(0.0, currentValue);
    plot->replot(QCustomPlot::rpRefreshHint);
}

void MainWindow::updateObjectDisplay()
{
    const MeasurementProcessor& processor = itsCycle.processor();
    const quint16 distance = static_cast<quint16>(std::trunc(processor.distanceSeries().first()));
    const int confidence =
        static_cast<int>(std::trunc(processor.confidenceSeries().first())) & CONFIDENCE_MASK;

    itsBarKeys = {double(distance)};
    itsBarValues = {double(confidence)};
    itsBars->setData(itsBarKeys, itsBarValues, true);

    itsPhotonCountReferenceLegendItem->setText(
        QStringLiteral("Photon Count Reference: %1").arg(processor.photonCountReference()));
    itsPhotonCountObjectLegendItem->setText(
        QStringLiteral("Photon Count Object: %1").arg(processor.photonCountObject()));
    if (confidence == 0)
    {
        itsPeakLegendItem->setText(QStringLiteral("Peak at: -"));
        itsConfidenceLegendItem->setText(QStringLiteral("Confidence: -"));
    }
    else
    {
        itsPeakLegendItem->setText(QStringLiteral("Peak at: %1 mm").arg(distance));
        itsConfidenceLegendItem->setText(QStringLiteral("Confidence: %1 of 63").arg(confidence));
    }
    const QString distanceText = QString::asprintf("%1.0f", distance / 10.0) + QStringLiteral(" cm");

    ui->lDemoMode->setVisible(itsPlayer->isPlaying() || !isModuleStreamOpen());

    const qint64 nowMs = Clock::currentMSecsSinceEpoch();
    if (nowMs - itsLastStateLabelUpdateMs > STATE_LABEL_REFRESH_MS)
    {
        itsLastStateLabelUpdateMs = nowMs;
        const int state = processor.objectState();
        const StateLook& look = lookOf(state);
        ui->lObjectDetection->setText(QString::fromLatin1(look.text));
        ui->lObjectDetection->setStyleSheet(QString::fromLatin1(look.labelStyleSheet));
        itsBars->setBrush(QBrush(look.barColour, Qt::SolidPattern));
        const bool objectShown = state > STATE_NO_OBJECT && state <= STATE_STATIC;
        ui->lbDistance->setText(objectShown ? distanceText : QStringLiteral("-"));
    }

    const bool screenSaverOn = processor.isPresenceRecent() == 0 && !itsAutomationActive;
    ui->gbScreenSaver->setVisible(screenSaverOn);
    ui->gbChart->setVisible(!screenSaverOn);

    ui->plotDistanceBar->replot(QCustomPlot::rpRefreshHint);

    if (itsReadoutLog)
        itsReadoutLog->record(ui->lObjectDetection->text(), ui->lbDistance->text(),
                              !ui->lDemoMode->isHidden(), !ui->gbScreenSaver->isHidden());
}

void MainWindow::buildRecordingMenu()
{
    // The File menu the intents built ends with Exit; the new entries go in front of it.
    QMenu* fileMenu =
        menuBar()->actions().value(0) != nullptr ? menuBar()->actions().first()->menu() : nullptr;
    if (fileMenu == nullptr)
        return;
    QAction* exitAction = fileMenu->actions().value(0);
    const auto add = [this, fileMenu, exitAction](const QString& text, void (MainWindow::*slot)())
    {
        auto* action = new QAction(text, this);
        connect(action, &QAction::triggered, this, slot);
        fileMenu->insertAction(exitAction, action);
        return action;
    };
    itsStartRecordingAction = add(tr("Start Recording…"), &MainWindow::onStartRecordingTriggered);
    itsStopRecordingAction = add(tr("Stop Recording"), &MainWindow::onStopRecordingTriggered);
    fileMenu->insertSeparator(exitAction);
    add(tr("Open Recording…"), &MainWindow::onOpenRecordingTriggered);
    itsStopReplayAction = add(tr("Stop Replay"), &MainWindow::onStopReplayTriggered);
    fileMenu->insertSeparator(exitAction);
    add(tr("Save Chart As…"), &MainWindow::onSaveChartTriggered);
    fileMenu->insertSeparator(exitAction);
    updateActions();
}

void MainWindow::buildViewMenu()
{
    auto* viewMenu = new QMenu(tr("View"), menuBar());
    menuBar()->insertMenu(menuBar()->actions().value(1), viewMenu);
    // The measurement panel leaves the form's grid for a dock of its own on the right, which the right-hand
    // dock area lets run the window's full height: beside the history it would be squeezed.
    auto* measurementDock = new QDockWidget(tr("Measurement Panel"), this);
    measurementDock->setObjectName(QStringLiteral("dwMeasurement"));
    measurementDock->setWidget(ui->gbTof);
    addDockWidget(Qt::RightDockWidgetArea, measurementDock);
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
    setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
    connect(measurementDock->toggleViewAction(), &QAction::toggled, ui->gbTof, &QWidget::setVisible);
    ui->dwHistory->toggleViewAction()->setText(tr("History"));
    ui->dwStatistics->toggleViewAction()->setText(tr("Statistics"));

    // Nothing new shows unless the user asked for it once; then it shows at every start.
    const QSettings settings = userSettings();
    const std::pair<QDockWidget*, const char*> entries[] = {{ui->dwHistory, VIEW_HISTORY_KEY},
                                                            {ui->dwStatistics, VIEW_STATISTICS_KEY},
                                                            {measurementDock, VIEW_MEASUREMENT_PANEL_KEY}};
    for (const auto& entry : entries)
    {
        const QString key = QString::fromLatin1(entry.second);
        viewMenu->addAction(entry.first->toggleViewAction());
        entry.first->setVisible(settings.value(key, false).toBool());
        // Only the user's choice is kept, not a panel hidden because the window closes.
        connect(entry.first->toggleViewAction(), &QAction::triggered, this,
                [key](bool checked) { userSettings().setValue(key, checked); });
    }
    // A panel just shown draws what it has at once.
    connect(ui->dwHistory, &QDockWidget::visibilityChanged, this, [this] { ui->plotHistory->refresh(); });
    connect(ui->dwStatistics, &QDockWidget::visibilityChanged, this,
            [this] { ui->statisticsPanel->refresh(itsStatistics); });
}

void MainWindow::updateActions()
{
    if (itsStartRecordingAction == nullptr)
        return;
    itsStartRecordingAction->setEnabled(!itsRecorder->isRecording());
    itsStopRecordingAction->setEnabled(itsRecorder->isRecording());
    itsStopReplayAction->setEnabled(itsPlayer->isPlaying());
}

void MainWindow::showWarning(const QString& text)
{
    // Not modal for the event loop: measuring and recording go on while the message is read.
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool MainWindow::startRecording(const QString& path, bool replace, QString* errorText)
{
    if (!itsRecorder->start(path, replace))
    {
        if (errorText != nullptr)
            *errorText = itsRecorder->errorString();
        return false;
    }
    updateActions();
    updateRecordingStatus();
    return true;
}

void MainWindow::updateRecordingStatus()
{
    if (!itsRecorder->isRecording())
    {
        itsRecordingLabel->clear();
        return;
    }
    itsRecordingLabel->setText(tr("Recording %1: %2 rows, %3")
                                   .arg(QFileInfo(itsRecorder->path()).fileName())
                                   .arg(itsRecorder->rowCount())
                                   .arg(lengthText(itsRecorder->lengthMs())));
}

void MainWindow::onStartRecordingTriggered()
{
    // The dialog asks before it lets the user pick a file that exists.
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Start Recording"), QStringLiteral("recording.csv"), tr("CSV recordings (*.csv)"));
    QString errorText;
    if (!path.isEmpty() && !startRecording(path, true, &errorText))
        showWarning(tr("Cannot record: %1.").arg(errorText));
}

void MainWindow::onStopRecordingTriggered()
{
    itsRecorder->stop();
    updateActions();
    updateRecordingStatus();
}

void MainWindow::onItsRecorderFailed(const QString& message)
{
    updateActions();
    updateRecordingStatus();
    showWarning(message + QLatin1Char('.'));
}

bool MainWindow::playRecording(const QString& path, QString* errorText)
{
    if (!itsPlayer->open(path))
    {
        if (errorText != nullptr)
            *errorText = itsPlayer->errorString();
        return false;
    }
    // The replay starts from a clean slate and shows the recording's own statistics and history.
    itsCycle.restart();
    itsStatistics.reset();
    ui->plotHistory->clear();
    ui->lDemoMode->setText(tr("Replay - %1").arg(itsPlayer->fileName()));
    ui->lDemoMode->show();
    itsPlayer->start();
    updateActions();
    return true;
}

void MainWindow::onOpenRecordingTriggered()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Recording"), QString(),
                                                      tr("CSV recordings (*.csv);;All files (*)"));
    QString errorText;
    if (!path.isEmpty() && !playRecording(path, &errorText))
        showWarning(errorText);
}

void MainWindow::onStopReplayTriggered()
{
    itsPlayer->stop();
    endReplay();
}

void MainWindow::onItsPlayerFinished()
{
    endReplay();
}

void MainWindow::endReplay()
{
    // Back to what ran before, from a clean slate again: the recording's samples are not this room's.
    itsCycle.restart();
    itsStatistics.reset();
    ui->plotHistory->clear();
    ui->lDemoMode->setText(itsBannerText);
    ui->lDemoMode->setVisible(!isModuleStreamOpen());
    updateActions();
}

void MainWindow::onSaveChartTriggered()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Chart As"), QStringLiteral("chart.png"),
                                                      tr("PNG image (*.png);;PDF document (*.pdf)"));
    if (!path.isEmpty() && !saveChart(path))
        showWarning(tr("Cannot write the chart to %1.").arg(path));
}

bool MainWindow::saveChart(const QString& path)
{
    QList<QCustomPlot*> plots{ui->plotDistanceBar};
    if (ui->dwHistory->isVisible())
        plots.append(ui->plotHistory);
    QSize size(0, 0);
    for (QCustomPlot* plot : plots)
        size = QSize(std::max(size.width(), plot->width()), size.height() + plot->height());
    // One picture, the plots one below the other, each drawn anew at its size on the screen: vector
    // graphics in a PDF.
    const auto paint = [&plots](QPaintDevice& device)
    {
        QCPPainter painter(&device);
        int top = 0;
        for (QCustomPlot* plot : plots)
        {
            painter.save();
            painter.translate(0, top);
            plot->toPainter(&painter, plot->width(), plot->height());
            painter.restore();
            top += plot->height();
        }
        return painter.end();
    };
    if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
    {
        const int screenDpi = 96;
        QPdfWriter writer(path);
        writer.setResolution(screenDpi);
        writer.setPageMargins(QMarginsF());
        writer.setPageSize(QPageSize(QSizeF(size) * 72.0 / screenDpi, QPageSize::Point));
        return paint(writer) && QFileInfo(path).size() > 0;
    }
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return paint(image) && image.save(path);
}
