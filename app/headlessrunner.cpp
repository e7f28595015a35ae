#include "headlessrunner.h"

#include "Communication/nodestatemanager.h"

namespace
{

const char* const BOARD_NAMES[] = {"board", "simulated board"};

} // namespace

HeadlessRunner::HeadlessRunner(NoxCore::Tracing::Tracer* tracer, MeasurementSource boardSource,
                               FILE* statusOutput, QObject* parent)
    : QObject(parent), itsEngine(tracer), itsStatusOutput(statusOutput), itsBoardSource(boardSource)
{
    if (itsEngine.controlLogic().stack().tryGetStateManager(QStringLiteral("MODULE_STREAM"),
                                                            &itsModuleStateManager))
        connect(itsModuleStateManager, &NoxCore::Communication::NodeStateManager::stateChanged, this,
                &HeadlessRunner::onModuleStateChanged);
    connect(&itsEngine, &MeasurementEngine::identificationFailed, this,
            &HeadlessRunner::onItsEngineIdentificationFailed);
    connect(&itsEngine, &MeasurementEngine::otherInstanceFound, this,
            &HeadlessRunner::onItsEngineOtherInstanceFound);
    connect(&itsEngine, &MeasurementEngine::recordingFailed, this,
            &HeadlessRunner::onItsEngineRecordingFailed);
    itsEngine.setBoardSource(boardSource);
    itsEngine.start();
    reportBoard();
}

HeadlessRunner::~HeadlessRunner()
{
    // The stack going down must not report into a runner that is half gone.
    if (itsModuleStateManager != nullptr)
        itsModuleStateManager->disconnect(this);
}

void HeadlessRunner::onModuleStateChanged(NoxCore::Communication::NodeStateContext, int, int)
{
    reportBoard();
}

void HeadlessRunner::reportBoard()
{
    const int connected = itsEngine.isModuleStreamOpen() ? 1 : 0;
    if (connected == itsBoardReported)
        return;
    itsBoardReported = connected;
    if (connected)
        std::fprintf(itsStatusOutput, "Connected to the %s: measuring.\n", BOARD_NAMES[int(itsBoardSource)]);
    else
        std::fprintf(itsStatusOutput, "No board connected: test mode, measuring from test_data.txt.\n");
    std::fflush(itsStatusOutput);
}

void HeadlessRunner::onItsEngineIdentificationFailed()
{
    std::fprintf(stderr, "Could not retrieve serial number.\n");
}

void HeadlessRunner::onItsEngineOtherInstanceFound()
{
    std::fprintf(stderr, "Could not connect to target. Is another instance of the GUI already running?\n");
}

void HeadlessRunner::onItsEngineRecordingFailed(const QString& message)
{
    std::fprintf(stderr, "%s.\n", qPrintable(message));
}
