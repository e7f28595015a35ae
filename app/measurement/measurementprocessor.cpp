#include "measurementprocessor.h"

#include <algorithm>
#include <cmath>

namespace
{

// Object zones of the median distance, in mm.
const double TOO_CLOSE_MAX_MM = 200.0;
const double PRESENCE_MAX_MM = 1000.0;
const double FAR_MAX_MM = 2500.0;
// Smoothed movement (mm per sample) from which an object counts as moving.
const double MOVEMENT_THRESHOLD = 3.0;
// A still object wanders less than this (max - min of the median distance).
const double STATIC_BAND_MM = 20.0;
// A still object counts as static after this long.
const qint64 STATIC_AFTER_MS = 10000;
// Presence is "recent" this long after the last moving object; then the screen saver may start.
const qint64 PRESENCE_HOLD_MS = 3000;

const double MOVEMENT_KEEP = 0.7;
const double CONFIDENCE_KEEP = 0.85;
const int MEDIAN_WINDOW = 7;

const double BAND_MAX_RESET = 0.0;
const double BAND_MIN_RESET = 65535.0;

// Shortest of fixed and scientific notation with six significant digits, as the records use.
QString general6(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

MeasurementProcessor::MeasurementProcessor(qint64 startMs)
{
    reset(startMs);
}

void MeasurementProcessor::reset(qint64 startMs)
{
    itsTimeSeries.resize(SERIES_LENGTH);
    for (int i = 0; i < SERIES_LENGTH; ++i)
        itsTimeSeries[i] = -double(i) * NOMINAL_CYCLE_MS;
    itsDistanceSeries.fill(0.0, SERIES_LENGTH);
    itsRawDistanceSeries.fill(0.0, SERIES_LENGTH);
    itsMovementSeries.fill(0.0, SERIES_LENGTH);
    itsConfidenceSeries.fill(0.0, SERIES_LENGTH);
    itsPhotonCountReference = 0;
    itsPhotonCountObject = 0;
    itsObjectState = STATE_NO_OBJECT;
    itsPresenceRecent = 0;
    itsLastPresenceMs = startMs;
    resetStaticTracking();
    itsLastRawDistance = 0.0;
    itsLastMedianDistance = 0.0;
    itsLastRawConfidence = 0.0;
    itsLastSmoothedConfidence = 0.0;
    itsLastDistanceChange = 0.0;
    itsLastMovement = 0.0;
}

void MeasurementProcessor::process(MeasurementSample& sample, qint64 elapsedMs)
{
    // Ages stay real: the samples grow older by however long this cycle really took.
    itsTimeSeries.removeLast();
    for (double& age : itsTimeSeries)
        age -= double(elapsedMs);
    itsTimeSeries.prepend(0.0);

    updateSeries(sample);
    updateObjectState(sample.timeMs);
    updatePresence(sample.timeMs);

    sample.medianDistance = itsLastMedianDistance;
    sample.smoothedConfidence = itsLastSmoothedConfidence;
    sample.movement = itsLastMovement;
    sample.objectState = itsObjectState;
    sample.presenceRecent = itsPresenceRecent != 0;
}

void MeasurementProcessor::shiftIn(QVector<double>& series, double newest)
{
    series.removeLast();
    series.prepend(newest);
}

void MeasurementProcessor::updateSeries(const MeasurementSample& sample)
{
    const double rawDistance = sample.rawDistance;

    itsLastDistanceChange = std::trunc(std::fabs(rawDistance - itsRawDistanceSeries.first()));
    itsLastMovement =
        MOVEMENT_KEEP * itsMovementSeries.first() + (1.0 - MOVEMENT_KEEP) * itsLastDistanceChange;
    shiftIn(itsMovementSeries, itsLastMovement);

    itsLastRawConfidence = sample.rawConfidence;
    itsLastSmoothedConfidence =
        CONFIDENCE_KEEP * itsConfidenceSeries.first() + (1.0 - CONFIDENCE_KEEP) * itsLastRawConfidence;
    shiftIn(itsConfidenceSeries, itsLastSmoothedConfidence);

    itsLastRawDistance = rawDistance;
    shiftIn(itsRawDistanceSeries, rawDistance);

    // The median of seven ignores up to three outliers, which single-sample spikes of the sensor are.
    double window[MEDIAN_WINDOW];
    std::copy(itsRawDistanceSeries.cbegin(), itsRawDistanceSeries.cbegin() + MEDIAN_WINDOW, window);
    std::sort(window, window + MEDIAN_WINDOW);
    itsLastMedianDistance = window[MEDIAN_WINDOW / 2];
    shiftIn(itsDistanceSeries, itsLastMedianDistance);

    itsPhotonCountReference = sample.photonCountReference;
    itsPhotonCountObject = sample.photonCountObject;
}

void MeasurementProcessor::resetStaticTracking()
{
    itsStaticBandMax = BAND_MAX_RESET;
    itsStaticBandMin = BAND_MIN_RESET;
    itsStaticStartMs = 0;
}

void MeasurementProcessor::markPresence(qint64 nowMs)
{
    itsObjectState = STATE_OBJECT_PRESENCE;
    itsLastPresenceMs = nowMs;
}

void MeasurementProcessor::updateObjectState(qint64 nowMs)
{
    const double distance = itsDistanceSeries.first();
    const double movement = itsMovementSeries.first();
    itsObjectState = STATE_NO_OBJECT;

    if (distance == 0.0)
    {
        resetStaticTracking();
    }
    else if (distance <= TOO_CLOSE_MAX_MM)
    {
        resetStaticTracking();
        itsObjectState = STATE_OBJECT_TOO_CLOSE;
    }
    else if (distance <= PRESENCE_MAX_MM)
    {
        if (movement >= MOVEMENT_THRESHOLD)
        {
            resetStaticTracking();
            markPresence(nowMs);
            return;
        }
        itsStaticBandMax = std::max(itsStaticBandMax, distance);
        itsStaticBandMin = std::min(itsStaticBandMin, distance);
        if (itsStaticBandMax - itsStaticBandMin >= STATIC_BAND_MM)
        {
            resetStaticTracking();
            markPresence(nowMs);
            return;
        }
        // Barely moving and within a narrow band: a candidate for a static object.
        if (itsStaticStartMs == 0)
            itsStaticStartMs = nowMs;
        if (nowMs - itsStaticStartMs > STATIC_AFTER_MS)
            itsObjectState = STATE_STATIC;
        else
            markPresence(nowMs);
    }
    else if (distance <= FAR_MAX_MM)
    {
        resetStaticTracking();
        itsObjectState = STATE_OBJECT_FAR;
    }
    // Beyond the far zone nothing is detected, but a static period survives a short dropout.
}

void MeasurementProcessor::updatePresence(qint64 nowMs)
{
    itsPresenceRecent = (nowMs - itsLastPresenceMs <= PRESENCE_HOLD_MS) ? 1 : 0;
}

QString MeasurementProcessor::demoDataRecord(qint64 nowMs) const
{
    const QChar separator = QLatin1Char(';');
    return QStringLiteral("#DEMODATA;") + QString::number(nowMs) + separator + general6(itsLastRawDistance) +
           separator + general6(itsLastMedianDistance) + separator + general6(itsLastRawConfidence) +
           separator + general6(itsLastSmoothedConfidence) + separator + general6(itsLastDistanceChange) +
           separator + general6(itsLastMovement) + separator +
           QLatin1String(objectStateName(itsObjectState)) + separator +
           (itsPresenceRecent ? QStringLiteral("SCREEN_SAVER_OFF") : QStringLiteral("SCREEN_SAVER_ON")) +
           separator + general6(itsStaticBandMax) + separator + general6(itsStaticBandMin) + separator +
           QString::number(itsLastPresenceMs) + QStringLiteral("\r\n");
}
