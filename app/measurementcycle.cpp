#include "measurementcycle.h"

#include "getobjectscommand.h"
#include "logging.h"

#include "Communication/comstream.h"
#include "Tools/clock.h"

using NoxCore::Tools::Clock;

namespace
{

const char* const TEST_DATA_FILE = "test_data.txt";

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
    itsTestScriptMissing = !itsTestScript.load(QString::fromLatin1(TEST_DATA_FILE));
}

bool MeasurementCycle::isModuleStreamOpen() const
{
    return itsModuleStream != nullptr && itsModuleStream->isOpen();
}

void MeasurementCycle::restart()
{
    itsProcessor.reset(Clock::currentMSecsSinceEpoch());
    itsSample = MeasurementSample();
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
        itsModuleStream->execute(&command);
        sample.source = itsBoardSource;
        // A failed exchange leaves the command's zero record: one such sample does not move the median.
        sample.exchangeFailed = !command.valid();
        sample.hasObject = !sample.exchangeFailed && command.objectCount() > 0;
        copyRecord(command.objectRecord(), sample);
    }
    else
    {
        readTestScript(sample);
    }

    itsProcessor.process(sample, itsCycleTimer.restart());
    itsSample = sample;
    // Only what the module really measured is streamed to a client, never the test script.
    if (itsLogging != nullptr && isModuleStreamOpen())
    {
        itsLogging->writeText(itsProcessor.demoDataRecord(Clock::currentMSecsSinceEpoch()));
        itsLogging->writeObjects(command.objectCount(), sample.rawConfidence, sample.rawDistance,
                                 sample.photonCountReference, sample.photonCountObject);
    }
    emit measured(itsSample);
}

void MeasurementCycle::readTestScript(MeasurementSample& sample)
{
    // Said once, when test mode first needs the script: with a board the file is never missed.
    if (itsTestScriptMissing)
    {
        qWarning("Test mode: cannot read %s in the working folder; no object is shown.", TEST_DATA_FILE);
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
    // The first replayed sample follows the clean slate of restart() by one nominal cycle.
    const qint64 elapsedMs = itsSample.timeMs > 0 ? sample.timeMs - itsSample.timeMs
                                                  : qint64(MeasurementProcessor::NOMINAL_CYCLE_MS);
    if (itsSample.timeMs == 0)
        itsProcessor.reset(sample.timeMs);
    itsProcessor.process(sample, elapsedMs);
    itsSample = sample;
    itsCycleTimer.restart();
    emit measured(itsSample);
}
