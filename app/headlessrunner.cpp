#include "headlessrunner.h"

#include "automationserver.h"
#include "getcalibrationdatacommand.h"
#include "logging.h"
#include "mainwindow.h"
#include "targetconfigurationcommand.h"

#include "Communication/comstream.h"
#include "Communication/nodestatemanager.h"

namespace
{

const char* const BOARD_NAMES[] = {"board", "simulated board"};

} // namespace

HeadlessRunner::HeadlessRunner(NoxCore::Tracing::Tracer* tracer, MeasurementSource boardSource,
                               FILE* statusOutput, QObject* parent)
    : QObject(parent), itsStatusOutput(statusOutput), itsBoardSource(boardSource)
{
    itsVersionInfo.retrieveInfo();
    itsControlLogic.initialize(tracer);
    if (itsControlLogic.stack().tryGetStateManager(QStringLiteral("MODULE_STREAM"), &itsModuleStateManager))
        connect(itsModuleStateManager, &NoxCore::Communication::NodeStateManager::stateChanged, this,
                &HeadlessRunner::onModuleStateChanged);
    connect(&itsControlLogic, &ControlLogic::tofModuleActivated, this, &HeadlessRunner::onToFModuleActivated);
    itsCycle.setModuleStream(itsControlLogic.moduleStream());
    itsCycle.setBoardSource(boardSource);
    itsControlLogic.activate();
    reportBoard();

    connect(&itsCycle, &MeasurementCycle::measured, &itsRecorder, &MeasurementRecorder::record);
    connect(&itsRecorder, &MeasurementRecorder::failed, this, &HeadlessRunner::onItsRecorderFailed);
    connect(&itsTimer, &QTimer::timeout, this, &HeadlessRunner::onItsTimerTimeout);
    itsTimer.start(MainWindow::MEASUREMENT_PERIOD_MS);

    itsAutomationServer = new AutomationServer(*this, this);
    QString errorText;
    if (!itsAutomationServer->listen(AutomationServer::PORT, &errorText))
        std::fprintf(stderr,
                     "Automation port 127.0.0.1:%u is not available (%s); running without automation.\n",
                     unsigned(AutomationServer::PORT), qPrintable(errorText));
}

HeadlessRunner::~HeadlessRunner()
{
    // A client still connected, and the stack going down, must not call back into a runner that is half gone.
    if (itsModuleStateManager != nullptr)
        itsModuleStateManager->disconnect(this);
    itsCycle.setLogging(nullptr);
    delete itsAutomationServer;
}

void HeadlessRunner::onItsTimerTimeout()
{
    // On a busy machine a late tick can be followed by the next one at once; a second exchange in the same
    // instant tells nothing new and would give two rows with one time.
    if (itsSinceMeasurement.isValid() &&
        itsSinceMeasurement.elapsed() < MainWindow::MEASUREMENT_PERIOD_MS / 2)
        return;
    itsSinceMeasurement.start();
    itsCycle.measure();
}

void HeadlessRunner::onModuleStateChanged(NoxCore::Communication::NodeStateContext, int, int)
{
    reportBoard();
}

void HeadlessRunner::reportBoard()
{
    const int connected = itsCycle.isModuleStreamOpen() ? 1 : 0;
    if (connected == itsBoardReported)
        return;
    itsBoardReported = connected;
    if (connected)
        std::fprintf(itsStatusOutput, "Connected to the %s: measuring.\n", BOARD_NAMES[int(itsBoardSource)]);
    else
        std::fprintf(itsStatusOutput, "No board connected: test mode, measuring from test_data.txt.\n");
    std::fflush(itsStatusOutput);
}

void HeadlessRunner::onToFModuleActivated()
{
    if (!isTargetConnected())
        return;
    // A board plugged in later gets the mode too.
    sendOperationMode();
    itsControlLogic.moduleStream()->execute(&itsIdentification);
}

void HeadlessRunner::onItsRecorderFailed(const QString& message)
{
    std::fprintf(stderr, "%s.\n", qPrintable(message));
}

void HeadlessRunner::automationStarted(Logging* writer)
{
    // The client decides when to measure.
    itsTimer.stop();
    itsCycle.setLogging(writer);
}

void HeadlessRunner::automationEnded()
{
    itsCycle.setLogging(nullptr);
    itsTimer.start();
}

QString HeadlessRunner::versionRecord()
{
    return Logging::versionRecord(itsIdentification.serialNumber(), itsIdentification.app0Revision(),
                                  itsVersionInfo.productVersionString(), itsIdentification.driverRevision(),
                                  itsIdentification.extraRevision(), itsIdentification.chipRevision());
}

QStringList HeadlessRunner::calibrationLines()
{
    if (!isTargetConnected())
        return {};
    NoxCore::Communication::ComStream* stream = itsControlLogic.moduleStream();
    GetCalibrationDataCommand calibration(Logging::AUTOMATION_CALIBRATION_BLOCK);
    stream->execute(&calibration);
    if (stream->lastError() != 0)
        return {};
    return Logging::calibrationLines(calibration);
}

void HeadlessRunner::selectOperationMode(int mode)
{
    // As the window's mode box: selecting the mode that is selected already sends nothing.
    if (mode == itsOperationMode)
        return;
    itsOperationMode = mode;
    sendOperationMode();
}

void HeadlessRunner::sendOperationMode()
{
    if (!isTargetConnected())
        return;
    TargetConfigurationCommand configuration(1, 0, quint8(itsOperationMode));
    itsControlLogic.moduleStream()->execute(&configuration);
}
