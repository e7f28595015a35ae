#include "measurementstatistics.h"
#include "measurementcycle.h"

#include "support/manualclock.h"
#include "support/tempworkdir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

using Summary = MeasurementStatistics::Summary;

// The statistics of the samples that lie in [fromMs, last sample], computed the plain way: every sample
// looked at again.
Summary recomputed(const std::vector<MeasurementSample>& samples, qint64 fromMs)
{
    std::vector<MeasurementSample> in;
    std::copy_if(samples.begin(), samples.end(), std::back_inserter(in),
                 [fromMs](const MeasurementSample& s) { return s.timeMs >= fromMs; });
    Summary result;
    result.measurements = qint64(in.size());
    result.spanMs = in.back().timeMs - in.front().timeMs;
    std::vector<double> distances;
    for (size_t i = 0; i < in.size(); ++i)
    {
        result.failedExchanges += in[i].exchangeFailed ? 1 : 0;
        if (in[i].hasObject)
            distances.push_back(in[i].rawDistance);
        if (i + 1 < in.size())
            result.stateMs[in[i].objectState] += in[i + 1].timeMs - in[i].timeMs;
    }
    result.objectSamples = qint64(distances.size());
    double sum = 0.0;
    for (double d : distances)
        sum += d;
    result.meanMm = sum / double(distances.size());
    double squares = 0.0;
    for (double d : distances)
        squares += (d - result.meanMm) * (d - result.meanMm);
    result.standardDeviationMm = std::sqrt(squares / double(distances.size() - 1));
    result.minimumMm = quint16(*std::min_element(distances.begin(), distances.end()));
    result.maximumMm = quint16(*std::max_element(distances.begin(), distances.end()));
    return result;
}

void expectSame(const Summary& actual, const Summary& expected, const char* which, size_t index)
{
    SCOPED_TRACE(::testing::Message() << which << " after sample " << index);
    EXPECT_EQ(actual.measurements, expected.measurements);
    EXPECT_EQ(actual.failedExchanges, expected.failedExchanges);
    EXPECT_EQ(actual.objectSamples, expected.objectSamples);
    EXPECT_NEAR(actual.ratePerSecond(), double(expected.measurements - 1) * 1000.0 / double(expected.spanMs),
                1e-9);
    EXPECT_NEAR(actual.meanMm, expected.meanMm, 1e-9);
    EXPECT_NEAR(actual.standardDeviationMm, expected.standardDeviationMm, 1e-6);
    EXPECT_EQ(actual.minimumMm, expected.minimumMm);
    EXPECT_EQ(actual.maximumMm, expected.maximumMm);
    for (int state = 0; state < OBJECT_STATE_COUNT; ++state)
        EXPECT_EQ(actual.stateMs[state], expected.stateMs[state]) << "state " << state;
}

} // namespace

TEST(MeasurementStatistics, AgreeWithAPlainComputationOverARecordedRun)
{
    // Two and a half minutes of the bundled script, at uneven cycles, with a failed exchange now and then.
    TempWorkDir dir;
    QFile bundled(QStringLiteral(LIDORA_BUNDLED_TEST_DATA));
    ASSERT_TRUE(bundled.open(QIODevice::ReadOnly));
    dir.writeTestData(bundled.readAll());
    ManualClock clock;
    MeasurementCycle cycle;
    std::vector<MeasurementSample> recorded;
    for (int i = 0; i < 4500; ++i)
    {
        clock.advance(i % 7 == 0 ? 60 : 33);
        cycle.measure();
        MeasurementSample sample = cycle.sample();
        if (i % 53 == 0)
        {
            sample.exchangeFailed = true;
            sample.hasObject = false;
        }
        recorded.push_back(sample);
    }

    MeasurementStatistics statistics;
    for (size_t i = 0; i < recorded.size(); ++i)
    {
        statistics.add(recorded[i]);
        if (i % 499 != 498)
            continue;
        const std::vector<MeasurementSample> sofar(recorded.begin(), recorded.begin() + i + 1);
        expectSame(statistics.sinceStart(), recomputed(sofar, 0), "since start", i);
        expectSame(statistics.recent(),
                   recomputed(sofar, sofar.back().timeMs - MeasurementStatistics::RECENT_WINDOW_MS), "recent",
                   i);
    }
}
