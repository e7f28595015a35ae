#include "mainwindow.h"

#include "objectstate.h"
#include "qcpstringlegenditem.h"
#include "ui_mainwindow.h"

#include "Tools/clock.h"
#include "Tools/versioninfo.h"
#include "controls/noxstatusfield.h"
#include "tools/windowhelper.h"

#include <QApplication>
#include <QMessageBox>
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
// With auto scale the distance plot shows the newest three seconds.
const double DISTANCE_PLOT_SPAN_MS = 3000.0;

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), itsDeviceStatusBar(this), ui(new Ui::MainWindow),
      itsLastStateLabelUpdateMs(Clock::currentMSecsSinceEpoch())
{
    NoxGui::WindowHelper::loadStyleSheet(qApp);
    ensureAppResources();
    ui->setupUi(this);

    ui->gbTof->hide();
    ui->menuBar->setStyleSheet(QStringLiteral("background-color: white;"));

    statusBar()->addPermanentWidget(&itsDeviceStatusBar, 0);
    NoxGui::Controls::NoxStatusField* automationField = itsDeviceStatusBar.automationField();
    automationField->appendState(QStringLiteral("Local"), QStringLiteral("#009f69"),
                                 QStringLiteral("#ffffff"));
    automationField->appendState(QStringLiteral("Automation On"), QStringLiteral("#0075b0"),
                                 QStringLiteral("#ffffff"));

    ui->mainToolBar->hide();

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

    checkSingleInstance();
}

MainWindow::~MainWindow()
{
    itsInstanceMark.release();
    delete ui;
    delete itsVersionInfo;
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

void MainWindow::checkSingleInstance()
{
    // Without a board this instance owns nothing, so a mark left by another instance is believed.
    const bool ownsTarget = false;
    if (itsInstanceMark.check(ownsTarget))
        QMessageBox::warning(
            this, itsVersionInfo->productNameString(),
            tr("Could not connect to target. Is another instance of the GUI already running?\n"),
            QMessageBox::Ok);
}

void MainWindow::clickpbStartContinuous()
{
    if (ui->cbContinuousMode->checkState() != Qt::Checked)
        return;
    // Clicks and socket data get their turn between two synchronous measurements.
    QCoreApplication::processEvents();
    on_pbStart_clicked();
}

void MainWindow::on_pbStart_clicked()
{
    ui->plotDistance->measureDistance();
    ui->plotDistance->updateGraph();
    on_cbAutoScaleYDist_stateChanged(ui->cbAutoScaleYDist->checkState());

    if (itsDisplayTimer.elapsed() > DISPLAY_REFRESH_MS)
    {
        itsDisplayTimer.restart();
        updateObjectDisplay();
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
    const QDistancePlot* plot = ui->plotDistance;
    const quint16 distance = static_cast<quint16>(std::trunc(plot->distanceSeries().first()));
    const int confidence = static_cast<int>(std::trunc(plot->confidenceSeries().first())) & CONFIDENCE_MASK;

    itsBarKeys = {double(distance)};
    itsBarValues = {double(confidence)};
    itsBars->setData(itsBarKeys, itsBarValues, true);

    itsPhotonCountReferenceLegendItem->setText(
        QStringLiteral("Photon Count Reference: %1").arg(plot->photonCountReference()));
    itsPhotonCountObjectLegendItem->setText(
        QStringLiteral("Photon Count Object: %1").arg(plot->photonCountObject()));
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

    // No board yet: every measurement is replayed, so the test-mode banner stays.
    ui->lDemoMode->setVisible(true);

    const qint64 nowMs = Clock::currentMSecsSinceEpoch();
    if (nowMs - itsLastStateLabelUpdateMs > STATE_LABEL_REFRESH_MS)
    {
        itsLastStateLabelUpdateMs = nowMs;
        const int state = plot->objectState();
        const StateLook& look = lookOf(state);
        ui->lObjectDetection->setText(QString::fromLatin1(look.text));
        ui->lObjectDetection->setStyleSheet(QString::fromLatin1(look.labelStyleSheet));
        itsBars->setBrush(QBrush(look.barColour, Qt::SolidPattern));
        const bool objectShown = state > STATE_NO_OBJECT && state <= STATE_STATIC;
        ui->lbDistance->setText(objectShown ? distanceText : QStringLiteral("-"));
    }

    const bool screenSaverOn = plot->isPresenceRecent() == 0 && !itsAutomationActive;
    ui->gbScreenSaver->setVisible(screenSaverOn);
    ui->gbChart->setVisible(!screenSaverOn);

    ui->plotDistanceBar->replot(QCustomPlot::rpRefreshHint);

    if (itsReadoutLog)
        itsReadoutLog->record(ui->lObjectDetection->text(), ui->lbDistance->text(),
                              !ui->lDemoMode->isHidden(), !ui->gbScreenSaver->isHidden());
}
