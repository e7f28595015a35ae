#include "measurementcycle.h"
#include "measurementrecorder.h"
#include "recordingreader.h"

#include "Communication/comstream.h"
#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/scriptedcomdriver.h"
#include "support/tempworkdir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace
{

// A cycle in a private working folder with its own clock, run the way the 33 ms timer runs it.
class CycleTest : public ::testing::Test
{
protected:
    void SetUp() override { createCycle(); }

    // A new cycle that finds this script in its working folder.
    void createCycle(const QByteArray& script = QByteArray())
    {
        cycle.reset();
        workDir.writeTestData(script);
        cycle = std::make_unique<MeasurementCycle>();
    }
    void createCycleOnBundledScript()
    {
        QFile bundled(QStringLiteral(LIDORA_BUNDLED_TEST_DATA));
        ASSERT_TRUE(bundled.open(QIODevice::ReadOnly));
        createCycle(bundled.readAll());
    }

    void measure(int times = 1)
    {
        for (int i = 0; i < times; ++i)
        {
            clock.advance(33);
            cycle->measure();
        }
    }

    TempWorkDir workDir;
    ManualClock clock;
    std::unique_ptr<MeasurementCycle> cycle;
};

} // namespace

TEST_F(CycleTest, StartsWithTwoHundredSamplesAndRealAgesAfterUnevenCycles)
{
    const MeasurementProcessor& processor = cycle->processor();
    ASSERT_EQ(processor.timeSeries().size(), MeasurementProcessor::SERIES_LENGTH);
    EXPECT_EQ(processor.timeSeries().last(), -6567.0);

    clock.advance(40);
    cycle->measure();
    clock.advance(100);
    cycle->measure();

    const QVector<double>& ages = processor.timeSeries();
    ASSERT_EQ(ages.size(), MeasurementProcessor::SERIES_LENGTH);
    EXPECT_EQ(ages[0], 0.0);
    EXPECT_EQ(ages[1], -100.0);
    EXPECT_EQ(ages[2], -140.0);
    EXPECT_EQ(ages[3], -173.0);
}

TEST_F(CycleTest, BundledScriptShowsEveryStateAndLongPauses)
{
    createCycleOnBundledScript();
    std::set<int> seen;
    qint64 longestStatic = 0, staticSince = -1, longestSaver = 0, saverSince = -1;
    // How long a condition has held without a break, at its longest.
    const auto track = [this](bool holds, qint64& since, qint64& longest)
    {
        since = holds ? (since < 0 ? clock.now() : since) : -1;
        if (since >= 0)
            longest = std::max(longest, clock.now() - since);
    };
    // Two minutes of measurements: the script loops at least once.
    for (int i = 0; i < 2 * 60 * 1000 / 33; ++i)
    {
        measure();
        seen.insert(cycle->sample().objectState);
        track(cycle->sample().objectState == STATE_STATIC, staticSince, longestStatic);
        track(!cycle->sample().presenceRecent, saverSince, longestSaver);
    }
    EXPECT_EQ(seen, (std::set<int>{STATE_NO_OBJECT, STATE_OBJECT_TOO_CLOSE, STATE_OBJECT_PRESENCE,
                                   STATE_OBJECT_FAR, STATE_STATIC}));
    EXPECT_GE(longestStatic, 3000) << "static long enough for the screen saver to come on";
    EXPECT_GE(longestSaver, 5000) << "a pause in which the screen saver shows";
}

TEST_F(CycleTest, OpenModuleStreamReplacesTheScriptAndAFailedExchangeIsNoSample)
{
    using NoxCore::Communication::ComStream;
    createCycle("OBJ,1500,40\n");
    ScriptedComDriver driver;
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
    cycle->setModuleStream(&stream);
    cycle->setBoardSource(MeasurementSource::SimulatedBoard);

    // One object at 500 mm.
    const QByteArray answer = QByteArray::fromHex("0100f401000000002a1027000020 4e0000");
    for (int i = 0; i < 4; ++i)
        driver.addAnswer(0x02, 0, answer);
    measure(4);
    // How the answer decodes and reaches the records is pinned by the command and logging tests.
    EXPECT_EQ(cycle->sample().medianDistance, 500.0);
    EXPECT_EQ(cycle->sample().source, MeasurementSource::SimulatedBoard);
    EXPECT_TRUE(cycle->sample().hasObject);

    // No answer is no measurement: nothing enters the series, the listeners learn of a gap.
    measure();
    EXPECT_TRUE(cycle->sample().exchangeFailed);
    EXPECT_FALSE(cycle->sample().hasObject);
    EXPECT_EQ(cycle->processor().rawDistanceSeries()[0], 500.0);
    EXPECT_EQ(cycle->sample().objectState, STATE_OBJECT_PRESENCE);

    // A closed stream means test mode again. (A missing script's zero records are the script's test; the
    // fourth equal sample deciding the median is the median's.)
    driver.close();
    measure();
    EXPECT_EQ(cycle->sample().rawDistance, 1500);
    EXPECT_EQ(cycle->sample().source, MeasurementSource::TestScript);
}

TEST_F(CycleTest, ARecordingReplayedShowsTheStatesItRecorded)
{
    createCycleOnBundledScript();
    MeasurementRecorder recorder;
    ASSERT_TRUE(recorder.start(workDir.filePath("run.csv"), false));
    std::vector<int> recorded;
    QObject::connect(cycle.get(), &MeasurementCycle::measured, &recorder, &MeasurementRecorder::record);
    const QMetaObject::Connection collecting = QObject::connect(cycle.get(), &MeasurementCycle::measured,
                                                                [&recorded](const MeasurementSample& sample)
                                                                { recorded.push_back(sample.objectState); });
    // One loop of the script, with every state.
    measure(60 * 1000 / 33);
    recorder.stop();
    QObject::disconnect(collecting);

    RecordingReader reader;
    ASSERT_TRUE(reader.read(workDir.filePath("run.csv"))) << reader.errorString().toStdString();
    ASSERT_EQ(reader.samples().size(), int(recorded.size()));
    // Later, in another cycle that has seen other measurements before.
    clock.advance(3600 * 1000);
    measure(100);
    cycle->restart();
    std::vector<int> replayed;
    for (const MeasurementSample& sample : reader.samples())
    {
        cycle->replay(sample);
        replayed.push_back(cycle->sample().objectState);
    }
    EXPECT_EQ(replayed, recorded);
    EXPECT_EQ(std::set<int>(replayed.begin(), replayed.end()).size(), 5u);
}
