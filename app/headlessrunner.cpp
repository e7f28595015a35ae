#include "headlessrunner.h"

#include "mainwindow.h"

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
    itsControlLogic.initialize(tracer);
    NoxCore::Communication::NodeStateManager* manager = nullptr;
    if (itsControlLogic.stack().tryGetStateManager(QStringLiteral("MODULE_STREAM"), &manager))
        connect(manager, &NoxCore::Communication::NodeStateManager::stateChanged, this,
                &HeadlessRunner::onModuleStateChanged);
    itsControlLogic.activate();
    itsCycle.setModuleStream(itsControlLogic.moduleStream());
    itsCycle.setBoardSource(boardSource);
    reportBoard();

    connect(&itsCycle, &MeasurementCycle::measured, &itsRecorder, &MeasurementRecorder::record);
    connect(&itsRecorder, &MeasurementRecorder::failed, this, &HeadlessRunner::onItsRecorderFailed);
    connect(&itsTimer, &QTimer::timeout, &itsCycle, &MeasurementCycle::measure);
    itsTimer.start(MainWindow::MEASUREMENT_PERIOD_MS);
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

void HeadlessRunner::onItsRecorderFailed(const QString& message)
{
    std::fprintf(stderr, "%s\n", qPrintable(message));
}
