// The engine behind the window and headless mode, run as headless mode runs it: a QCoreApplication, no
// display. Each test guards a rule the two faces once kept differently (issue 22).
#include "measurementengine.h"
#include "headlessrunner.h"
#include "recordingformat.h"
#include "targetconfigurationcommand.h"

#include "Communication/nodestate.h"
#include "Communication/nodestatemanager.h"

#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/simulatedusb.h"
#include "support/tempworkdir.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

namespace
{

class MeasurementEngineTest : public ::testing::Test
{
protected:
    QString emptyVersionRecord(const MeasurementEngine& engine) const
    {
        return "#VER;;;" + engine.versionInfo().productVersionString() + ";;;\r\n";
    }
    int operationModeFrames() const { return usb->moduleFrames(TargetConfigurationCommand::PROTOCOL).size(); }

    TempWorkDir workDir;
    std::unique_ptr<SimulatedUsb> usb;
};

} // namespace

// The version record never carries the placeholders of an unanswered identification, and the operation mode
// is sent at start and on change but not when the module comes back.
TEST_F(MeasurementEngineTest, TheModulesIdentificationAndModeAreKeptWhenItComesBackOrStopsAnswering)
{
    usb = std::make_unique<SimulatedUsb>(false);
    {
        MeasurementEngine engine;
        engine.start();
        EXPECT_EQ(engine.versionRecord(), emptyVersionRecord(engine)) << "no board";
    }

    // The old USB goes first: back ends are restored last in, first out.
    usb.reset();
    usb = std::make_unique<SimulatedUsb>(true);
    MeasurementEngine engine;
    QSignalSpy identified(&engine, &MeasurementEngine::moduleIdentified);
    QSignalSpy failed(&engine, &MeasurementEngine::identificationFailed);
    engine.start();
    ASSERT_EQ(identified.count(), 1);
    EXPECT_EQ(operationModeFrames(), 1);
    const QString identifiedRecord = engine.versionRecord();
    EXPECT_NE(identifiedRecord, emptyVersionRecord(engine));
    EXPECT_FALSE(identifiedRecord.contains("00-00-00-00"));

    NoxCore::Communication::NodeStateManager* module = nullptr;
    ASSERT_TRUE(engine.controlLogic().stack().tryGetStateManager("MODULE_STREAM", &module));
    usb->backend.unplug();
    ASSERT_TRUE(QTest::qWaitFor(
        [module] { return module->lastState() == NoxCore::Communication::NodeState::Closed; }, 5000));
    usb->backend.replug();
    ASSERT_TRUE(QTest::qWaitFor([&identified] { return identified.count() == 2; }, 5000));
    EXPECT_EQ(failed.count(), 0);
    EXPECT_EQ(operationModeFrames(), 1) << "the module keeps its mode";
    engine.selectOperationMode(IAutomationTarget::DISTANCE_MODE);
    engine.selectOperationMode(IAutomationTarget::DISTANCE_MODE);
    EXPECT_EQ(operationModeFrames(), 2) << "the mode selected already is not sent again";

    // The module comes back but does not answer: the read fails, and what was read before stays.
    usb->backend.setHidFault(LidoraSim::SimulatedHidBackend::HidFault::NoAnswer);
    engine.onToFModuleActivated();
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(engine.versionRecord(), identifiedRecord);
}

TEST_F(MeasurementEngineTest, HeadlessModeSetsTheInstanceMarkThatAWindowStartedBesideItFinds)
{
    usb = std::make_unique<SimulatedUsb>(false);
    FILE* console = std::tmpfile();
    ASSERT_NE(console, nullptr);
    {
        HeadlessRunner headless(nullptr, MeasurementSource::Board, console);
        headless.start();
        MeasurementEngine besides;
        QSignalSpy otherInstance(&besides, &MeasurementEngine::otherInstanceFound);
        besides.start();
        EXPECT_EQ(otherInstance.count(), 1);
    }
    // The headless instance cleared its mark as it ended; the one beside it left it alone.
    MeasurementEngine later;
    QSignalSpy otherInstance(&later, &MeasurementEngine::otherInstanceFound);
    later.start();
    EXPECT_EQ(otherInstance.count(), 0);
    std::fclose(console);
}

TEST_F(MeasurementEngineTest, ATickWithinHalfAPeriodOfTheLastMeasurementIsSkipped)
{
    usb = std::make_unique<SimulatedUsb>(false);
    ManualClock clock;
    qRegisterMetaType<MeasurementSample>("MeasurementSample");
    // Not started, so that only the ticks below measure.
    MeasurementEngine engine;
    QSignalSpy measured(&engine, &MeasurementEngine::measured);
    const auto tick = [&engine] { QMetaObject::invokeMethod(&engine, "onItsTimerTimeout"); };
    const struct
    {
        qint64 afterMs;
        int measurements;
    } ticks[] = {{0, 1},
                 {1, 1},
                 {MeasurementEngine::MEASUREMENT_PERIOD_MS / 2 - 1, 1},
                 {MeasurementEngine::MEASUREMENT_PERIOD_MS / 2, 2},
                 {MeasurementEngine::MEASUREMENT_PERIOD_MS, 3}};
    qint64 sinceFirst = 0;
    for (const auto& step : ticks)
    {
        clock.advance(step.afterMs - sinceFirst);
        sinceFirst = step.afterMs;
        tick();
        EXPECT_EQ(measured.count(), step.measurements) << step.afterMs << " ms";
    }
    // A client measures when it asks, continuous ticks wait for it to go.
    engine.setContinuous(false);
    clock.advance(MeasurementEngine::MEASUREMENT_PERIOD_MS);
    tick();
    EXPECT_EQ(measured.count(), 3);
}

// A replay's figures are for reading after it: they stay until live measuring resumes, and a failed exchange
// in it counts only as a failed exchange. A file that is no recording leaves the live figures alone.
TEST_F(MeasurementEngineTest, AFinishedReplayKeepsItsFiguresUntilLiveMeasuringResumes)
{
    usb = std::make_unique<SimulatedUsb>(false);
    ManualClock clock;
    qRegisterMetaType<MeasurementSample>("MeasurementSample");
    MeasurementSample sample;
    sample.timeMs = clock.now() - 60000;
    sample.hasObject = true;
    sample.rawDistance = 700;
    QByteArray rows = RecordingFormat::header() + RecordingFormat::row(sample, 0);
    sample.timeMs += 33;
    sample.hasObject = false;
    sample.rawDistance = 0;
    sample.exchangeFailed = true;
    rows += RecordingFormat::row(sample, 0);
    workDir.writeFile("run.csv", rows);
    workDir.writeFile("bad.csv", "time;distance\r\n");

    MeasurementEngine engine;
    QSignalSpy refused(&engine, &MeasurementEngine::replayRefused);
    QSignalSpy finished(&engine, &MeasurementEngine::replayFinished);
    QSignalSpy ended(&engine, &MeasurementEngine::replayEnded);
    const auto tick = [&engine] { QMetaObject::invokeMethod(&engine, "onItsTimerTimeout"); };
    tick();
    ASSERT_EQ(engine.statistics().sinceStart().measurements, 1);
    QString errorText;
    ASSERT_TRUE(engine.playRecording(workDir.filePath("bad.csv"), &errorText));
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.count() == 1; }));
    EXPECT_TRUE(refused.first().first().toString().startsWith("Cannot play bad.csv, line 1:"));
    EXPECT_FALSE(engine.isReplaying());
    EXPECT_EQ(engine.statistics().sinceStart().measurements, 1) << "nothing of it shown";

    ASSERT_TRUE(engine.playRecording(workDir.filePath("run.csv"), &errorText));
    ASSERT_TRUE(QTest::qWaitFor(
        [&]
        {
            clock.advance(10);
            return finished.count() == 1;
        }));
    clock.advance(MeasurementEngine::MEASUREMENT_PERIOD_MS);
    tick();
    EXPECT_TRUE(engine.isReplayFinished());
    EXPECT_EQ(engine.statistics().sinceStart().measurements, 1);
    EXPECT_EQ(engine.statistics().sinceStart().failedExchanges, 1);
    EXPECT_EQ(engine.statistics().sinceStart().maximumMm, 700);
    EXPECT_EQ(engine.cycle().sample().source, MeasurementSource::Recording) << "live measuring waits";

    const int endedBefore = ended.count();
    engine.stopReplay();
    EXPECT_EQ(ended.count(), endedBefore + 1);
    EXPECT_EQ(engine.statistics().sinceStart().measurements, 0);
    tick();
    EXPECT_EQ(engine.cycle().sample().source, MeasurementSource::TestScript);
}
