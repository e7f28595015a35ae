#include "measurementprocessor.h"

#include "support/qtprinters.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace
{

MeasurementSample objectAt(quint16 distance, quint8 confidence = 40)
{
    MeasurementSample sample;
    sample.hasObject = distance != 0;
    sample.rawDistance = distance;
    sample.rawConfidence = confidence;
    return sample;
}

// The processing on its own, with the samples' times under the test's control.
class ProcessorTest : public ::testing::Test
{
protected:
    void SetUp() override { createProcessor(); }

    void createProcessor() { processor = std::make_unique<MeasurementProcessor>(now); }

    // One sample of the processing chain, one cycle later.
    void feed(MeasurementSample sample, qint64 cycleMs = 33)
    {
        now += cycleMs;
        sample.timeMs = now;
        processor->process(sample, cycleMs);
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
        while (processor->movementSeries()[0] >= 3.0)
            feed(distance);
    }

    QStringList demoFields() const
    {
        QString record = processor->demoDataRecord(now);
        EXPECT_TRUE(record.endsWith("\r\n"));
        record.chop(2);
        return record.split(';');
    }

    qint64 now = 1700000000000;
    std::unique_ptr<MeasurementProcessor> processor;
};

} // namespace

TEST_F(ProcessorTest, ClassifiesEveryZoneAtItsBoundaries)
{
    // Each case starts from a fresh plot, so the jump from 0 makes the object "moving".
    const struct
    {
        quint16 distance;
        ObjectState expected;
    } cases[] = {
        {0, STATE_NO_OBJECT},         {1, STATE_OBJECT_TOO_CLOSE},   {200, STATE_OBJECT_TOO_CLOSE},
        {201, STATE_OBJECT_PRESENCE}, {1000, STATE_OBJECT_PRESENCE}, {1001, STATE_OBJECT_FAR},
        {2500, STATE_OBJECT_FAR},     {2501, STATE_NO_OBJECT},       {65535, STATE_NO_OBJECT},
    };
    for (const auto& c : cases)
    {
        createProcessor();
        feed(c.distance, 4);
        EXPECT_EQ(processor->objectState(), c.expected) << c.distance << " mm";
    }
}

TEST_F(ProcessorTest, TwentyMillimetresTooCloseOrFarEndTheStaticPeriodADropoutBeyondRangeDoesNot)
{
    settle(500);
    // A slow drift keeps the movement low, so only the band decides. Fields 10 and 11: the band's maximum
    // and minimum.
    for (quint16 distance = 501; distance <= 519; ++distance)
        feed(distance);
    feed(519, 4);
    EXPECT_EQ(demoFields().mid(10, 2), QStringList({"519", "500"})) << "19 mm";
    feed(520, 8);
    EXPECT_EQ(demoFields().mid(10, 2), QStringList({"520", "520"}))
        << "20 mm ended it; a new one began at 520";

    // The filters never carry a still object beyond 2500 mm in one step: the newest median is set directly.
    struct Probe : MeasurementProcessor
    {
        using MeasurementProcessor::MeasurementProcessor;
        QStringList bandAfter(std::initializer_list<double> distances)
        {
            for (const double distance : distances)
            {
                itsDistanceSeries[0] = distance;
                itsMovementSeries[0] = 0.0;
                updateObjectState(1);
            }
            return demoDataRecord(0).split(';').mid(10, 2);
        }
    };
    EXPECT_EQ(Probe(0).bandAfter({500, 2501}), QStringList({"500", "500"})) << "a dropout beyond range";
    EXPECT_EQ(Probe(0).bandAfter({500, 2500}), QStringList({"0", "65535"})) << "far";
    EXPECT_EQ(Probe(0).bandAfter({500, 150}), QStringList({"0", "65535"})) << "too close";
}

TEST_F(ProcessorTest, DemoDataRecordCarriesTheProcessingStateInGeneralFormat)
{
    feed(1500, 4);
    // Median once four of seven samples are 1500, smoothed confidence after four samples, what is left of
    // the jump from 0 in the movement, no static period, the start as the last presence (far is none).
    EXPECT_EQ(demoFields(),
              QStringList({"#DEMODATA", QString::number(now), "1500", "1500", "40", "19.1198", "0", "154.35",
                           "STATE_OBJECT_FAR", "SCREEN_SAVER_OFF", "0", "65535", "1700000000000"}));
    feed(objectAt(2000, 1));
    EXPECT_EQ(demoFields()[6], "500") << "distance change";
}
