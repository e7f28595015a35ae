#include "mainwindow.h"

#include "chartexport.h"
#include "objectstate.h"
#include "plotfont.h"
#include "qcpstringlegenditem.h"
#include "recordingmenu.h"
#include "statelook.h"
#include "ui_mainwindow.h"
#include "viewmenu.h"

#include "Communication/nodestatemanager.h"
#include "Tools/clock.h"
#include "Tools/versioninfo.h"
#include "barcreator.h"
#include "controls/aboutdialog.h"
#include "controls/noxstatusfield.h"
#include "intents/iintent.h"
#include "intents/intentmanager.h"
#include "tools/windowhelper.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

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

const int CONFIDENCE_MASK = 63;
const double BAR_AXIS_MAX_MM = 3000.0;
const double BAR_WIDTH_MM = 60.0;
const double CONFIDENCE_AXIS_MAX = 64.0;
// In proximity mode the bar chart shows the near range only.
const double PROXIMITY_AXIS_MAX = 100.0;
const double PROXIMITY_BAR_WIDTH = 2.0;
// With auto scale the distance plot shows the newest three seconds.
const double DISTANCE_PLOT_SPAN_MS = 3000.0;

} // namespace

MainWindow::MainWindow(QWidget* parent, NoxCore::Tracing::Tracer* tracer)
    : QMainWindow(parent), itsToolBarIntentGroup(QStringLiteral("ToolBar")), itsEngine(tracer),
      itsDeviceStatusBar(this), ui(new Ui::MainWindow),
      itsLastStateLabelUpdateMs(Clock::currentMSecsSinceEpoch())
{
    // The order matters: the status fields are bound before the engine opens the board, so that they see
    // its first state changes, and everything that shows the engine is connected before it starts.
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

    statusBar()->addPermanentWidget(&itsDeviceStatusBar, 0);
    NoxGui::Controls::NoxStatusField* automationField = itsDeviceStatusBar.automationField();
    automationField->appendState(QStringLiteral("Local"), QStringLiteral("#009f69"),
                                 QStringLiteral("#ffffff"));
    automationField->appendState(QStringLiteral("Automation On"), QStringLiteral("#0075b0"),
                                 QStringLiteral("#ffffff"));
    bindStatusFields(itsEngine.controlLogic());

    itsEngine.controlLogic().communicationInitialized().set(this, SLOT(on_communicationInitialized()));
    itsEngine.controlLogic().communicationDeinitialized().set(this, SLOT(on_communicationDeinitialized()));

    buildMenus();
    ui->mainToolBar->hide();
    itsBannerText = ui->lDemoMode->text();
    buildFileMenu();
    buildViewMenu();
    setWindowTitle(itsEngine.versionInfo().productNameString());

    ui->gbDistanceGraph->hide();
    ui->sbYAxisMaxDist->setEnabled(false);

    setUpBarChart();
    itsDisplayTimer.start();
    itsHistoryTimer.start();
    itsStatisticsTimer.start();
    connectEngine();
    itsEngine.start();
}

MainWindow::~MainWindow()
{
    unbindStatusFields(itsEngine.controlLogic());
    NoxGui::Intents::IntentManager::instance()->removeExecutor(this);
    // The engine outlives the form: nothing it says may reach widgets that are gone.
    itsEngine.disconnect(this);
    // The panels hide as the window goes; they must not draw from what is gone by then.
    ui->dwHistory->disconnect(this);
    ui->dwStatistics->disconnect(this);
    delete ui;
    delete itsAboutDialog;
    qDeleteAll(itsIntentGroups);
}

void MainWindow::connectEngine()
{
    // Every sample reaches the history, also while it is not shown.
    connect(&itsEngine, &MeasurementEngine::measured, ui->plotHistory, &HistoryChart::addSample);
    connect(&itsEngine, &MeasurementEngine::measured, this, &MainWindow::onItsEngineMeasured);
    connect(&itsEngine, &MeasurementEngine::moduleIdentified, this, &MainWindow::onItsEngineModuleIdentified);
    connect(&itsEngine, &MeasurementEngine::identificationFailed, this,
            &MainWindow::onItsEngineIdentificationFailed);
    connect(&itsEngine, &MeasurementEngine::otherInstanceFound, this,
            &MainWindow::onItsEngineOtherInstanceFound);
    connect(&itsEngine, &MeasurementEngine::operationModeChanged, ui->cbOperationMode,
            &QComboBox::setCurrentIndex);
    connect(&itsEngine, &MeasurementEngine::automationClientConnected, this,
            &MainWindow::onItsEngineAutomationClientConnected);
    connect(&itsEngine, &MeasurementEngine::automationClientDisconnected, this,
            &MainWindow::onItsEngineAutomationClientDisconnected);
    connect(&itsEngine, &MeasurementEngine::replayChecking, this, &MainWindow::onItsEngineReplayChecking);
    connect(&itsEngine, &MeasurementEngine::replayStarted, this, &MainWindow::onItsEngineReplayStarted);
    connect(&itsEngine, &MeasurementEngine::replayFinished, this, &MainWindow::onItsEngineReplayFinished);
    connect(&itsEngine, &MeasurementEngine::replayEnded, this, &MainWindow::onItsEngineReplayEnded);
}

bool MainWindow::startReadoutLog(const QString& path, QString* errorText)
{
    auto log = std::make_unique<ReadoutLog>();
    if (!log->open(path))
    {
        if (errorText != nullptr)
            *errorText = log->errorString();
        return false;
    }
    itsReadoutLog = std::move(log);
    return true;
}

void MainWindow::setUpBarChart()
{
    QCustomPlot* plot = ui->plotDistanceBar;
    PlotFont::apply(*plot);
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
        itsAboutDialog->setVersionInfo(&itsEngine.versionInfo());
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

void MainWindow::onItsEngineModuleIdentified()
{
    const ModuleIdentification& identification = itsEngine.identification();
    ui->lbSerialNumber->setText(QStringLiteral("Serial #") + identification.serialNumber);
    ui->lbApp0Revision->setText(QStringLiteral("App0 Rev. ") + identification.app0Revision);
    ui->lbDriverRevision->setText(QStringLiteral("Drv. Rev. ") + identification.driverRevision);
    ui->lbChipInfo->setText(QStringLiteral("Chip Revision: ") + identification.chipRevision);
}

void MainWindow::onItsEngineIdentificationFailed()
{
    QMessageBox::warning(this, tr("Warning"), tr("Could not retrieve serial number."), QMessageBox::Ok);
}

void MainWindow::onItsEngineOtherInstanceFound()
{
    QMessageBox::warning(this, windowTitle(),
                         tr("Could not connect to target. Is another instance of the GUI already running?\n"),
                         QMessageBox::Ok);
}

void MainWindow::on_cbOperationMode_currentIndexChanged(int currentIndex)
{
    itsEngine.selectOperationMode(currentIndex);
    QCustomPlot* plot = ui->plotDistanceBar;
    PlotFont::apply(*plot);
    if (currentIndex == IAutomationTarget::PROXIMITY_MODE)
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

void MainWindow::onItsEngineAutomationClientConnected()
{
    // The client decides when to measure: continuous measurement and the Start button wait for it to go.
    ui->cbContinuousMode->setChecked(false);
    ui->cbContinuousMode->setEnabled(false);
    ui->pbStart->setEnabled(false);
    NoxGui::Controls::NoxStatusField* automationField = itsDeviceStatusBar.automationField();
    automationField->setState(AUTOMATION_ON_STATE);
    automationField->show();
}

void MainWindow::onItsEngineAutomationClientDisconnected()
{
    NoxGui::Controls::NoxStatusField* automationField = itsDeviceStatusBar.automationField();
    automationField->setState(AUTOMATION_LOCAL_STATE);
    automationField->hide();
    ui->cbContinuousMode->setEnabled(true);
    ui->cbContinuousMode->setChecked(true);
    ui->pbStart->setEnabled(true);
}

void MainWindow::on_pbStart_clicked()
{
    itsEngine.measure();
}

void MainWindow::onItsEngineMeasured()
{
    if (!itsDrawingEnabled)
        return;
    ui->plotDistance->updateGraph(itsEngine.cycle().processor());
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
        ui->statisticsPanel->refresh(itsEngine.statistics());
        itsRecordingMenu->updateStatus();
    }
}

void MainWindow::on_cbContinuousMode_stateChanged(int state)
{
    ui->pbStart->setEnabled(state != Qt::Checked);
    itsEngine.setContinuous(state == Qt::Checked);
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
    // Drawn once the samples of this turn of the event loop are in: a replay may bring hundreds at once.
    plot->replot(QCustomPlot::rpQueuedReplot);
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
    const MeasurementProcessor& processor = itsEngine.cycle().processor();
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

    ui->lDemoMode->setVisible(itsEngine.isReplaying() || !itsEngine.isModuleStreamOpen());

    const qint64 nowMs = Clock::currentMSecsSinceEpoch();
    if (nowMs - itsLastStateLabelUpdateMs > STATE_LABEL_REFRESH_MS)
    {
        itsLastStateLabelUpdateMs = nowMs;
        const int state = processor.objectState();
        const StateLook& look = StateLook::of(state);
        ui->lObjectDetection->setText(QString::fromLatin1(look.text));
        ui->lObjectDetection->setStyleSheet(QString::fromLatin1(look.labelStyleSheet));
        itsBars->setBrush(QBrush(look.barColour, Qt::SolidPattern));
        const bool objectShown = state > STATE_NO_OBJECT && state <= STATE_STATIC;
        ui->lbDistance->setText(objectShown ? distanceText : QStringLiteral("-"));
    }

    const bool screenSaverOn = processor.isPresenceRecent() == 0 && !itsEngine.isAutomationActive();
    ui->gbScreenSaver->setVisible(screenSaverOn);
    ui->gbChart->setVisible(!screenSaverOn);

    ui->plotDistanceBar->replot(QCustomPlot::rpQueuedReplot);

    if (itsReadoutLog)
        itsReadoutLog->record(ui->lObjectDetection->text(), ui->lbDistance->text(),
                              !ui->lDemoMode->isHidden(), !ui->gbScreenSaver->isHidden());
}

void MainWindow::buildFileMenu()
{
    // The File menu the intents built ends with Exit; the new entries go in front of it.
    QMenu* fileMenu =
        menuBar()->actions().value(0) != nullptr ? menuBar()->actions().first()->menu() : nullptr;
    if (fileMenu == nullptr)
        return;
    QAction* exitAction = fileMenu->actions().value(0);
    itsRecordingMenu = new RecordingMenu(itsEngine, fileMenu, exitAction, statusBar(), this);
    itsChartExport =
        new ChartExport(ui->plotDistanceBar, ui->plotHistory, ui->dwHistory, fileMenu, exitAction, this);
}

void MainWindow::buildViewMenu()
{
    new ViewMenu(this, ui->gbTof, ui->dwHistory, ui->dwStatistics);
    // A panel just shown draws what it has at once.
    connect(ui->dwHistory, &QDockWidget::visibilityChanged, this, [this] { ui->plotHistory->refresh(); });
    connect(ui->dwStatistics, &QDockWidget::visibilityChanged, this,
            [this] { ui->statisticsPanel->refresh(itsEngine.statistics()); });
}

void MainWindow::onItsEngineReplayChecking(const QString& fileName, int percent)
{
    ui->lDemoMode->setText(tr("Checking %1: %2 %").arg(fileName).arg(percent));
    ui->lDemoMode->show();
}

void MainWindow::onItsEngineReplayStarted(const QString& fileName)
{
    // The replay shows the recording's own history.
    ui->plotHistory->clear();
    ui->lDemoMode->setText(itsEngine.player().shortensPauses()
                               ? tr("Replay - %1 (pauses over %2 s shortened)")
                                     .arg(fileName)
                                     .arg(RecordingPlayer::MAX_PAUSE_MS / 1000)
                               : tr("Replay - %1").arg(fileName));
    ui->lDemoMode->show();
}

void MainWindow::onItsEngineReplayFinished()
{
    // The replay's figures stay for reading: drawn now, as the refresh gates may have held the last ones.
    ui->lDemoMode->setText(tr("Replay finished - %1").arg(itsEngine.player().fileName()));
    updateObjectDisplay();
    ui->plotHistory->refresh();
    ui->statisticsPanel->refresh(itsEngine.statistics());
}

void MainWindow::onItsEngineReplayEnded()
{
    ui->plotHistory->clear();
    ui->lDemoMode->setText(itsBannerText);
    ui->lDemoMode->setVisible(!itsEngine.isModuleStreamOpen());
}
