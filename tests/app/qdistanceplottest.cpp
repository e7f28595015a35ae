#include "qdistanceplot.h"

#include "Communication/comstream.h"
#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/scriptedcomdriver.h"
#include "support/tempworkdir.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace
{

ObjectRecord objectAt(quint16 distance, quint8 confidence = 40)
{
    ObjectRecord record;
    record.distance = distance;
    record.confidence = confidence;
    return record;
}

// A plot in a private working folder with its own clock; feeds records the way measureDistance does.
class DistancePlotTest : public ::testing::Test
{
protected:
    void SetUp() override { createPlot(); }

    // A new plot that finds this script in its working folder.
    void createPlot(const QByteArray& script = QByteArray())
    {
        plot.reset();
        workDir.writeTestData(script);
        plot = std::make_unique<QDistancePlot>(nullptr);
    }

    // Whole measurement cycles, as the 33 ms timer runs them.
    void measure(int times = 1)
    {
        for (int i = 0; i < times; ++i)
        {
            clock.advance(33);
            plot->measureDistance();
        }
    }

    // One sample of the processing chain, one cycle later.
    void feed(const ObjectRecord& record, qint64 cycleMs = 33)
    {
        clock.advance(cycleMs);
        plot->updateSeries(record);
        plot->updateObjectState();
        plot->updatePresence();
    }
    void feed(quint16 distance, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            feed(objectAt(distance));
    }

    // Holds an object still until the jump that brought it has faded from the movement filter; the
    // last of these samples starts the static candidate period.
    void settle(quint16 distance)
    {
        feed(distance, 4);
        while (plot->movementSeries()[0] >= 3.0)
            feed(distance);
    }

    QStringList demoFields() const
    {
        QString record = plot->demoDataRecord();
        EXPECT_TRUE(record.endsWith("\r\n"));
        record.chop(2);
        return record.split(';');
    }

    TempWorkDir workDir;
    ManualClock clock;
    std::unique_ptr<QDistancePlot> plot;
};

} // namespace

TEST_F(DistancePlotTest, StartsWithTwoHundredSamplesAndRealAgesAfterUnevenCycles)
{
    ASSERT_EQ(plot->timeSeries().size(), QDistancePlot::SERIES_LENGTH);
    EXPECT_EQ(plot->timeSeries().last(), -6567.0);

    clock.advance(40);
    plot->measureDistance();
    clock.advance(100);
    plot->measureDistance();

    const QVector<double> ages = plot->timeSeries();
    ASSERT_EQ(ages.size(), QDistancePlot::SERIES_LENGTH);
    EXPECT_EQ(ages[0], 0.0);
    EXPECT_EQ(ages[1], -100.0);
    EXPECT_EQ(ages[2], -140.0);
    EXPECT_EQ(ages[3], -173.0);
}

TEST_F(DistancePlotTest, MedianOfSevenIgnoresUpToThreeOutliers)
{
    feed(500, 7);
    feed(3000);
    EXPECT_EQ(plot->distanceSeries()[0], 500.0) << "one spike";
    feed(3000, 2);
    EXPECT_EQ(plot->distanceSeries()[0], 500.0) << "three spikes";
    feed(3000);
    EXPECT_EQ(plot->distanceSeries()[0], 3000.0) << "four of seven are the new value";
    EXPECT_EQ(plot->rawDistanceSeries()[0], 3000.0);
}

TEST_F(DistancePlotTest, ClassifiesEveryZoneAtItsBoundaries)
{
    struct Case
    {
        quint16 distance;
        ObjectState expected;
    };
    // Each case starts from a fresh plot, so the jump from 0 makes the object "moving".
    const Case cases[] = {
        {0, STATE_NO_OBJECT},         {1, STATE_OBJECT_TOO_CLOSE},   {200, STATE_OBJECT_TOO_CLOSE},
        {201, STATE_OBJECT_PRESENCE}, {1000, STATE_OBJECT_PRESENCE}, {1001, STATE_OBJECT_FAR},
        {2500, STATE_OBJECT_FAR},     {2501, STATE_NO_OBJECT},       {65535, STATE_NO_OBJECT},
    };
    for (const Case& c : cases)
    {
        createPlot();
        feed(c.distance, 4);
        EXPECT_EQ(plot->objectState(), c.expected) << c.distance << " mm";
    }
}

TEST_F(DistancePlotTest, StillObjectBecomesStaticAfterMoreThanTenSeconds)
{
    settle(500);
    ASSERT_EQ(plot->objectState(), STATE_OBJECT_PRESENCE);
    const qint64 start = clock.now(); // the first still sample starts the static candidate period

    clock.set(start + 10000 - 33);
    feed(500);
    EXPECT_EQ(plot->objectState(), STATE_OBJECT_PRESENCE) << "exactly 10 s is not yet static";
    const qint64 lastPresence = clock.now();
    feed(objectAt(500), /*cycleMs=*/1);
    EXPECT_EQ(plot->objectState(), STATE_STATIC) << "10001 ms";
    EXPECT_EQ(plot->isPresenceRecent(), 1);

    // Presence stays recent for 3 s after the last presence sample, then the screen saver may start.
    clock.set(lastPresence + 3000);
    plot->updatePresence();
    EXPECT_EQ(plot->isPresenceRecent(), 1) << "3000 ms after the last presence";
    clock.set(lastPresence + 3001);
    plot->updatePresence();
    EXPECT_EQ(plot->isPresenceRecent(), 0) << "3001 ms after the last presence";
    EXPECT_EQ(demoFields()[9], "SCREEN_SAVER_ON");
}

TEST_F(DistancePlotTest, BandOfTwentyMillimetresEndsTheStaticPeriodNineteenDoesNot)
{
    settle(500);
    // A slow drift keeps the movement low, so only the band decides.
    for (quint16 distance = 501; distance <= 519; ++distance)
        feed(distance);
    feed(519, 4);
    EXPECT_EQ(demoFields()[10], "519") << "band maximum";
    EXPECT_EQ(demoFields()[11], "500") << "band minimum";
    EXPECT_LT(plot->movementSeries()[0], 3.0);

    feed(520, 8);
    EXPECT_EQ(demoFields()[10], "520") << "the 20 mm band ended the period; a new one started at 520";
    EXPECT_EQ(demoFields()[11], "520");
}

TEST_F(DistancePlotTest, TooCloseEndsTheStaticPeriodButADropoutBeyondRangeDoesNot)
{
    settle(500);
    ASSERT_EQ(demoFields()[11], "500") << "a static period is running";

    // The filters never carry a still object beyond 2500 mm in one step; present such a sample directly.
    struct PlotWithSample : QDistancePlot
    {
        using QDistancePlot::QDistancePlot;
        void presentNewest(double distance, double movement)
        {
            itsDistanceSeries[0] = distance;
            itsMovementSeries[0] = movement;
            updateObjectState();
        }
    };
    PlotWithSample probe(nullptr);
    probe.presentNewest(500, 0);
    const QString started = probe.demoDataRecord().split(';')[11];
    probe.presentNewest(2501, 0);
    EXPECT_EQ(probe.objectState(), STATE_NO_OBJECT);
    EXPECT_EQ(probe.demoDataRecord().split(';')[11], started) << "period kept";
    probe.presentNewest(2500, 0);
    EXPECT_EQ(probe.objectState(), STATE_OBJECT_FAR);
    EXPECT_EQ(probe.demoDataRecord().split(';')[11], "65535") << "far ends the period";

    feed(150, 4);
    EXPECT_EQ(plot->objectState(), STATE_OBJECT_TOO_CLOSE);
    EXPECT_EQ(demoFields()[10], "0");
    EXPECT_EQ(demoFields()[11], "65535");
}

TEST_F(DistancePlotTest, PresenceIsRecentForTheFirstThreeSecondsEvenWithoutObject)
{
    clock.advance(3000 - 33);
    feed(0);
    EXPECT_EQ(plot->isPresenceRecent(), 1);
    feed(0);
    EXPECT_EQ(plot->isPresenceRecent(), 0);
}

TEST_F(DistancePlotTest, DemoDataRecordCarriesTheProcessingStateInGeneralFormat)
{
    for (int i = 0; i < 4; ++i)
        feed(objectAt(1500, 40));
    const QStringList fields = demoFields();
    ASSERT_EQ(fields.size(), 13);
    EXPECT_EQ(fields[0], "#DEMODATA");
    EXPECT_EQ(fields[1], QString::number(clock.now()));
    EXPECT_EQ(fields[2], "1500");
    EXPECT_EQ(fields[3], "1500") << "median once four of seven samples are 1500";
    EXPECT_EQ(fields[4], "40");
    EXPECT_EQ(fields[5], QString::number(40 * (1 - 0.85 * 0.85 * 0.85 * 0.85), 'g', 6));
    EXPECT_EQ(fields[6], "0");
    EXPECT_EQ(fields[7], QString::number(0.7 * 0.7 * 0.7 * 450, 'g', 6));
    EXPECT_EQ(fields[8], "STATE_OBJECT_FAR");
    EXPECT_EQ(fields[9], "SCREEN_SAVER_OFF");
    EXPECT_EQ(fields[10], "0");
    EXPECT_EQ(fields[11], "65535");

    feed(objectAt(2000, 1));
    EXPECT_EQ(demoFields()[6], "500") << "distance change";
}

TEST_F(DistancePlotTest, BundledScriptShowsEveryStateAndLongPauses)
{
    QFile bundled(QStringLiteral(LIDORA_BUNDLED_TEST_DATA));
    ASSERT_TRUE(bundled.open(QIODevice::ReadOnly));
    createPlot(bundled.readAll());

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
        seen.insert(plot->objectState());
        track(plot->objectState() == STATE_STATIC, staticSince, longestStatic);
        track(plot->isPresenceRecent() == 0, saverSince, longestSaver);
    }
    EXPECT_EQ(seen, (std::set<int>{STATE_NO_OBJECT, STATE_OBJECT_TOO_CLOSE, STATE_OBJECT_PRESENCE,
                                   STATE_OBJECT_FAR, STATE_STATIC}));
    EXPECT_GE(longestStatic, 3000) << "static long enough for the screen saver to come on";
    EXPECT_GE(longestSaver, 5000) << "a pause in which the screen saver shows";
}

TEST_F(DistancePlotTest, OpenModuleStreamReplacesTheScriptAndAFailedExchangeIsNoSample)
{
    using NoxCore::Communication::ComStream;
    createPlot("OBJ,1500,40\n");
    ScriptedComDriver driver;
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
    plot->setModuleStream(&stream);

    // One object at 500 mm.
    const QByteArray answer = QByteArray::fromHex("0100f401000000002a1027000020 4e0000");
    for (int i = 0; i < 4; ++i)
        driver.addAnswer(0x02, 0, answer);
    measure(4);
    // How the answer decodes and reaches the records is pinned by the command and logging tests.
    EXPECT_EQ(plot->distanceSeries()[0], 500.0);

    // No answer is no measurement: nothing enters the series.
    measure();
    EXPECT_EQ(plot->rawDistanceSeries()[0], 500.0);

    // A closed stream means test mode again. (A missing script's zero records are the script's test; the
    // fourth equal sample deciding the median is the median's.)
    driver.close();
    measure();
    EXPECT_EQ(plot->rawDistanceSeries()[0], 1500.0);
}
