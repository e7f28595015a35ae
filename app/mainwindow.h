#ifndef LIDORA_MAINWINDOW_H
#define LIDORA_MAINWINDOW_H

#include "devicestatusbar.h"
#include "instancemark.h"
#include "readoutlog.h"

#include "Tools/elapsedtimer.h"

#include <QMainWindow>
#include <QVector>

#include <memory>

class QCPBars;
class QCPStringLegendItem;
class QTimer;

namespace Ui
{
class MainWindow;
}

namespace NoxCore
{
namespace Tools
{
class VersionInfo;
}
} // namespace NoxCore

// The demo's one window: object state, distance and a distance/confidence bar, or the screen saver when
// nobody has been present for a while. A 33 ms timer drives the measurement cycle for the whole life of
// the window. Everything runs on the GUI thread.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int MEASUREMENT_PERIOD_MS = 33;
    // The read-out follows the measurements at most this often...
    static constexpr qint64 DISPLAY_REFRESH_MS = 32;
    // ...and the state label at most this often, so it stays readable while the state flickers.
    static constexpr qint64 STATE_LABEL_REFRESH_MS = 250;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Appends every change of the read-out to a file (the --readout-log option).
    bool startReadoutLog(const QString& path, QString* errorText);

public slots:
    void on_pbStart_clicked();
    void clickpbStartContinuous();
    void on_cbAutoScaleYDist_stateChanged(int state);
    void on_sbYAxisMaxDist_valueChanged(int currentValue);
    void on_cbContinuousMode_stateChanged(int state);

private:
    void setUpBarChart();
    void checkSingleInstance();
    void updateObjectDisplay();

    DeviceStatusBar itsDeviceStatusBar;
    NoxCore::Tools::VersionInfo* itsVersionInfo = nullptr;
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
    NoxCore::Tools::ElapsedTimer itsDisplayTimer;
    bool itsAutomationActive = false;
    qint64 itsLastStateLabelUpdateMs;
    std::unique_ptr<ReadoutLog> itsReadoutLog;
};

#endif
