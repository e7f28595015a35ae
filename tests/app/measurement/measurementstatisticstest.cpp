#include "measurementstatistics.h"

#include <gtest/gtest.h>

// Samples 4 s apart, so that the 10 s window drops the largest and later the smallest distance while
// a failed exchange and samples without an object are counted but never enter the distances.
TEST(MeasurementStatistics, SinceTheStartAndOverTheLastTenSeconds)
{
    const struct
    {
        int state;
        bool failed;
        quint16 distance; // 0: no object
    } samples[] = {
        {STATE_OBJECT_FAR, false, 1000},     {STATE_OBJECT_PRESENCE, false, 400},
        {STATE_OBJECT_PRESENCE, true, 0},    {STATE_OBJECT_TOO_CLOSE, false, 100},
        {STATE_OBJECT_PRESENCE, false, 700}, {STATE_OBJECT_PRESENCE, false, 900},
        {STATE_NO_OBJECT, false, 0},
    };
    const struct
    {
        const char* what;
        size_t after; // samples added
        bool recent;
        qint64 measurements, failed, objects;
        double mean, standardDeviation, rate;
        quint16 minimum, maximum;
        qint64 farMs, presenceMs, tooCloseMs;
    } cases[] = {
        {"since start", 7, false, 7, 1, 5, 620.0, 370.135110, 0.25, 100, 1000, 4000, 16000, 4000},
        {"recent, largest gone", 5, true, 3, 1, 2, 400.0, 424.264069, 0.25, 100, 700, 0, 4000, 4000},
        {"recent, smallest gone", 7, true, 3, 0, 2, 800.0, 141.421356, 0.25, 700, 900, 0, 8000, 0},
    };
    for (const auto& expected : cases)
    {
        SCOPED_TRACE(expected.what);
        MeasurementStatistics statistics;
        for (size_t index = 0; index < expected.after; ++index)
        {
            MeasurementSample sample;
            sample.timeMs = 1700000000000 + qint64(index) * 4000;
            sample.objectState = samples[index].state;
            sample.exchangeFailed = samples[index].failed;
            sample.hasObject = samples[index].distance != 0;
            sample.rawDistance = samples[index].distance;
            statistics.add(sample);
        }
        const MeasurementStatistics::Summary summary =
            expected.recent ? statistics.recent() : statistics.sinceStart();
        EXPECT_EQ(summary.measurements, expected.measurements);
        EXPECT_EQ(summary.failedExchanges, expected.failed);
        EXPECT_EQ(summary.objectSamples, expected.objects);
        EXPECT_DOUBLE_EQ(summary.meanMm, expected.mean);
        EXPECT_NEAR(summary.standardDeviationMm, expected.standardDeviation, 1e-6);
        EXPECT_DOUBLE_EQ(summary.ratePerSecond(), expected.rate);
        EXPECT_EQ(summary.minimumMm, expected.minimum);
        EXPECT_EQ(summary.maximumMm, expected.maximum);
        EXPECT_EQ(summary.stateMs[STATE_OBJECT_FAR], expected.farMs);
        EXPECT_EQ(summary.stateMs[STATE_OBJECT_PRESENCE], expected.presenceMs);
        EXPECT_EQ(summary.stateMs[STATE_OBJECT_TOO_CLOSE], expected.tooCloseMs);
    }
}
