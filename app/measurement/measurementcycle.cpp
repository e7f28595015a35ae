#include "measurementcycle.h"

#include "getobjectscommand.h"
#include "logging.h"

#include "Communication/comstream.h"
#include "Tools/clock.h"

#include <QCoreApplication>
#include <QDir>

using NoxCore::Tools::Clock;

namespace
{

void copyRecord(const ObjectRecord& record, MeasurementSample& sample)
{
    sample.rawDistance = record.distance;
    sample.rawConfidence = record.confidence;
    sample.photonCountReference = record.photonCountReference;
    sample.photonCountObject = record.photonCountObject;
}

} // namespace

MeasurementCycle::MeasurementCycle(QObject* parent)
    : QObject(parent), itsProcessor(Clock::currentMSecsSinceEpoch())
{
    itsCycleTimer.start();
    itsTestScriptMissing =
        !itsTestScript.load(TestScript::locate(QDir::currentPath(), QCoreApplication::applicationDirPath()));
}

bool MeasurementCycle::isModuleStreamOpen() const
{
    return itsModuleStream != nullptr && itsModuleStream->isOpen();
}

void MeasurementCycle::restart()
{
    itsProcessor.reset(Clock::currentMSecsSinceEpoch());
    itsSample = MeasurementSample();
    itsLastProcessedMs = 0;
    itsCycleTimer.restart();
}

void MeasurementCycle::measure()
{
    MeasurementSample sample;
    sample.timeMs = Clock::currentMSecsSinceEpoch();

    GetObjectsCommand command;
    const bool fromModule = isModuleStreamOpen();
    if (fromModule)
    {
        sample.source = itsBoardSource;
        if (!command.readFrom(*itsModuleStream))
        {
            // A client still gets one answer to its request, also when the board was pulled during the
            // exchange: the refusal a request gets while no board is there.
            if (itsLogging != nullptr)
                itsLogging->writeText(Logging::noTargetRecord());
            skipFailedExchange(sample);
            return;
        }
        sample.hasObject = command.objectCount() > 0;
        copyRecord(command.objectRecord(), sample);
    }
    else
    {
        readTestScript(sample);
    }

    // The screen saver waits its seconds from the first measurement, however long the start took.
    if (itsLastProcessedMs == 0)
        itsProcessor.reset(sample.timeMs);
    itsLastProcessedMs = sample.timeMs;
    itsProcessor.process(sample, itsCycleTimer.restart());
    itsSample = sample;
    // Only what the module really measured is streamed to a client, never the test script.
    if (itsLogging != nullptr && fromModule)
    {
        itsLogging->writeText(itsProcessor.demoDataRecord(Clock::currentMSecsSinceEpoch()));
        itsLogging->writeObjects(command.objectCount(), sample.rawConfidence, sample.rawDistance,
                                 sample.photonCountReference, sample.photonCountObject);
    }
    emit measured(itsSample);
}

void MeasurementCycle::skipFailedExchange(MeasurementSample& sample)
{
    // A failed exchange is no measurement: nothing enters the processing or goes to a client, and the age of
    // the next sample includes this cycle. The listeners still learn of it, as a gap in which the demo shows
    // what it showed before.
    sample.exchangeFailed = true;
    sample.medianDistance = itsSample.medianDistance;
    sample.smoothedConfidence = itsSample.smoothedConfidence;
    sample.movement = itsSample.movement;
    sample.objectState = itsSample.objectState;
    sample.presenceRecent = itsSample.presenceRecent;
    itsSample = sample;
    emit measured(itsSample);
}

void MeasurementCycle::readTestScript(MeasurementSample& sample)
{
    // Said once, when test mode first needs the script: with a board the file is never missed.
    if (itsTestScriptMissing)
    {
        qWarning("Test mode: no test_data.txt in the working folder or the program's data folder; no object "
                 "is shown.");
        itsTestScriptMissing = false;
    }
    ObjectRecord record;
    itsTestScript.replay(record, sample.timeMs);
    sample.source = MeasurementSource::TestScript;
    sample.hasObject = record.distance != 0;
    copyRecord(record, sample);
}

void MeasurementCycle::replay(const MeasurementSample& recorded)
{
    MeasurementSample sample = recorded;
    sample.source = MeasurementSource::Recording;
    if (sample.exchangeFailed)
    {
        skipFailedExchange(sample);
        return;
    }
    // The first replayed sample follows the clean slate by one nominal cycle.
    const bool first = itsLastProcessedMs == 0;
    if (first)
        itsProcessor.reset(sample.timeMs);
    itsProcessor.process(sample, first ? qint64(MeasurementProcessor::NOMINAL_CYCLE_MS)
                                       : sample.timeMs - itsLastProcessedMs);
    itsLastProcessedMs = sample.timeMs;
    itsSample = sample;
    itsCycleTimer.restart();
    emit measured(itsSample);
}
