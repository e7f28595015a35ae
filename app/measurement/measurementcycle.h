#ifndef LIDORA_MEASUREMENTCYCLE_H
#define LIDORA_MEASUREMENTCYCLE_H

#include "measurementprocessor.h"
#include "measurementsample.h"
#include "testscript.h"

#include "Tools/elapsedtimer.h"

#include <QObject>

class Logging;

namespace NoxCore
{
namespace Communication
{
class ComStream;
}
} // namespace NoxCore

// One measurement after the other: fetches the object record from the module (or from the test script in
// test mode, or takes it from a recording being replayed), runs the processing, streams the records to the
// automation client and hands the sample to whoever listens (recording, statistics, history, the window).
// Knows no widget, so the window and headless mode run the same cycle. GUI thread only.
class MeasurementCycle : public QObject
{
    Q_OBJECT

public:
    // Loads the test script: test_data.txt in the working folder, else the installed one.
    explicit MeasurementCycle(QObject* parent = nullptr);

    // The automation client's record writer, not owned; null when no client is connected.
    void setLogging(Logging* logging) { itsLogging = logging; }
    // The module's com stream, not owned; null (or closed) means test mode.
    void setModuleStream(NoxCore::Communication::ComStream* moduleStream) { itsModuleStream = moduleStream; }
    NoxCore::Communication::ComStream* moduleStream() const { return itsModuleStream; }
    bool isModuleStreamOpen() const;
    // How samples from the module are labelled: a board or the simulated one.
    void setBoardSource(MeasurementSource source) { itsBoardSource = source; }

    const MeasurementProcessor& processor() const { return itsProcessor; }
    // The newest sample.
    const MeasurementSample& sample() const { return itsSample; }

    // Forgets every sample: a replay starts and ends from a clean slate, not from what came before.
    void restart();
    // One measurement from the module or the test script.
    void measure();
    // One recorded measurement, through the same processing as a live one at the time it was recorded.
    // Nothing of it goes to the automation client: that gets what the module measures now only.
    void replay(const MeasurementSample& recorded);

signals:
    void measured(const MeasurementSample& sample);

private:
    void readTestScript(MeasurementSample& sample);
    void skipFailedExchange(MeasurementSample& sample);

    MeasurementProcessor itsProcessor;
    MeasurementSample itsSample;
    // Time of the newest sample that went through the processing; 0 before the first.
    qint64 itsLastProcessedMs = 0;
    TestScript itsTestScript;
    bool itsTestScriptMissing = false;
    NoxCore::Tools::ElapsedTimer itsCycleTimer;
    Logging* itsLogging = nullptr;
    NoxCore::Communication::ComStream* itsModuleStream = nullptr;
    MeasurementSource itsBoardSource = MeasurementSource::Board;
};

#endif
