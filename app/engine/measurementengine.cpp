#include "measurementengine.h"

#include "automationserver.h"
#include "getcalibrationdatacommand.h"
#include "getserialnumbercommand.h"
#include "logging.h"
#include "targetconfigurationcommand.h"

#include "Communication/comstream.h"

#include <QCoreApplication>

MeasurementEngine::MeasurementEngine(NoxCore::Tracing::Tracer* tracer, QObject* parent) : QObject(parent)
{
    itsVersionInfo.retrieveInfo();
    itsControlLogic.initialize(tracer);
    itsCycle.setModuleStream(itsControlLogic.moduleStream());
    connect(&itsControlLogic, &ControlLogic::tofModuleActivated, this,
            &MeasurementEngine::onToFModuleActivated);
    // Every sample reaches the statistics and the recording before any face shows it.
    connect(&itsCycle, &MeasurementCycle::measured, this,
            [this](const MeasurementSample& sample) { itsStatistics.add(sample); });
    connect(&itsCycle, &MeasurementCycle::measured, &itsRecorder, &MeasurementRecorder::record);
    connect(&itsCycle, &MeasurementCycle::measured, this, &MeasurementEngine::measured);
    connect(&itsRecorder, &MeasurementRecorder::failed, this, &MeasurementEngine::onItsRecorderFailed);
    connect(&itsPlayer, &RecordingPlayer::sampleDue, &itsCycle, &MeasurementCycle::replay);
    connect(&itsPlayer, &RecordingPlayer::finished, this, &MeasurementEngine::onItsPlayerFinished);
    connect(&itsTimer, &QTimer::timeout, this, &MeasurementEngine::onItsTimerTimeout);
}

MeasurementEngine::~MeasurementEngine()
{
    itsInstanceMark.release();
    // A client still connected must not call back into an engine that is half gone.
    itsCycle.setLogging(nullptr);
    delete itsAutomationServer;
}

void MeasurementEngine::start()
{
    // Afterwards the module stream tells whether a board was found.
    itsControlLogic.activate();
    sendOperationMode();
    // Runs for the engine's whole life; whether a tick measures is decided at the tick.
    itsTimer.start(MEASUREMENT_PERIOD_MS);
    itsAutomationServer = new AutomationServer(*this, this);
    QString errorText;
    if (!itsAutomationServer->listen(AutomationServer::PORT, &errorText))
        qWarning("Automation port 127.0.0.1:%u is not available (%s); the demo runs without automation.",
                 unsigned(AutomationServer::PORT), qPrintable(errorText));
    // An instance that reached the board owns it, so a mark left behind by a crash is reset first.
    if (itsInstanceMark.check(isModuleStreamOpen()))
        emit otherInstanceFound();
}

bool MeasurementEngine::startCycleLog(const QString& path, QString* errorText)
{
    auto log = std::make_unique<CycleLog>();
    if (!log->open(path))
    {
        if (errorText != nullptr)
            *errorText = log->errorString();
        return false;
    }
    itsCycleLog = std::move(log);
    return true;
}

void MeasurementEngine::onItsTimerTimeout()
{
    if (!itsContinuous)
        return;
    // On a busy machine a late tick can be followed by the next one at once; a second exchange in the same
    // instant tells nothing new and would weigh twice in the median and give two rows with one time.
    if (itsSinceMeasurement.isValid() && itsSinceMeasurement.elapsed() < MEASUREMENT_PERIOD_MS / 2)
        return;
    // Clicks and socket data get their turn between two synchronous measurements. An automation client
    // that connected just now switched continuous measurement off: it gets no measurement it did not ask for.
    QCoreApplication::processEvents();
    if (itsContinuous)
        measure();
}

void MeasurementEngine::measure()
{
    // A replay shows the recording only; live measuring resumes at its end.
    if (itsPlayer.isPlaying())
        return;
    itsSinceMeasurement.start();
    itsCycle.measure();
    if (itsCycleLog)
        itsCycleLog->recordCycle();
}

void MeasurementEngine::onToFModuleActivated()
{
    if (!isModuleStreamOpen())
        return;
    NoxCore::Communication::ComStream* stream = itsControlLogic.moduleStream();
    GetSerialNumberCommand command;
    stream->execute(&command);
    // Any failure, a time-out as much as a broken transfer, leaves the command's placeholders.
    if (stream->lastError() != 0)
    {
        emit identificationFailed();
        return;
    }
    itsIdentification = {command.serialNumber(), command.app0Revision(), command.driverRevision(),
                         command.extraRevision(), command.chipRevision()};
    emit moduleIdentified();
}

void MeasurementEngine::selectOperationMode(int mode)
{
    // Selecting the mode that is selected already sends nothing.
    if (mode == itsOperationMode)
        return;
    itsOperationMode = mode;
    sendOperationMode();
    emit operationModeChanged(mode);
}

void MeasurementEngine::sendOperationMode()
{
    // Sent at start and on every change, not when the module comes back: the module keeps it.
    if (!isModuleStreamOpen())
        return;
    TargetConfigurationCommand configuration(1, 0, quint8(itsOperationMode));
    itsControlLogic.moduleStream()->execute(&configuration);
}

void MeasurementEngine::automationStarted(Logging* writer)
{
    // The client decides when to measure.
    itsContinuous = false;
    itsAutomationActive = true;
    itsCycle.setLogging(writer);
    emit automationClientConnected();
}

void MeasurementEngine::automationEnded()
{
    itsAutomationActive = false;
    itsCycle.setLogging(nullptr);
    itsContinuous = true;
    emit automationClientDisconnected();
}

bool MeasurementEngine::isTargetConnected()
{
    // A replay holds the read-out and measures nothing: a client's command is refused rather than left
    // waiting for a measurement that never comes.
    return isModuleStreamOpen() && !itsPlayer.isPlaying();
}

QString MeasurementEngine::versionRecord()
{
    return Logging::versionRecord(itsIdentification.serialNumber, itsIdentification.app0Revision,
                                  itsVersionInfo.productVersionString(), itsIdentification.driverRevision,
                                  itsIdentification.extraRevision, itsIdentification.chipRevision);
}

QStringList MeasurementEngine::calibrationLines()
{
    if (!isModuleStreamOpen())
        return {};
    NoxCore::Communication::ComStream* stream = itsControlLogic.moduleStream();
    GetCalibrationDataCommand calibration(Logging::AUTOMATION_CALIBRATION_BLOCK);
    stream->execute(&calibration);
    if (stream->lastError() != 0)
        return {};
    return Logging::calibrationLines(calibration);
}

bool MeasurementEngine::startRecording(const QString& path, bool replace, QString* errorText)
{
    if (!itsRecorder.start(path, replace))
    {
        if (errorText != nullptr)
            *errorText = itsRecorder.errorString();
        return false;
    }
    emit recordingChanged();
    return true;
}

void MeasurementEngine::stopRecording()
{
    itsRecorder.stop();
    emit recordingChanged();
}

void MeasurementEngine::onItsRecorderFailed(const QString& message)
{
    emit recordingChanged();
    emit recordingFailed(message);
}

bool MeasurementEngine::playRecording(const QString& path, QString* errorText)
{
    if (!itsPlayer.open(path))
    {
        if (errorText != nullptr)
            *errorText = itsPlayer.errorString();
        return false;
    }
    // The replay starts from a clean slate and shows the recording's own statistics and history.
    restartFromCleanSlate();
    itsPlayer.start();
    emit replayStarted(itsPlayer.fileName());
    return true;
}

void MeasurementEngine::stopReplay()
{
    itsPlayer.stop();
    onItsPlayerFinished();
}

void MeasurementEngine::onItsPlayerFinished()
{
    // Back to what ran before, from a clean slate again: the recording's samples are not this room's.
    restartFromCleanSlate();
    emit replayEnded();
}

void MeasurementEngine::restartFromCleanSlate()
{
    itsCycle.restart();
    itsStatistics.reset();
}
