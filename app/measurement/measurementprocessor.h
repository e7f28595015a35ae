#ifndef LIDORA_MEASUREMENTPROCESSOR_H
#define LIDORA_MEASUREMENTPROCESSOR_H

#include "measurementsample.h"

#include <QString>
#include <QVector>

// The demo's processing of one measurement after the other: the median and smoothing filters, the object
// state and the presence that drives the screen saver. Keeps the newest SERIES_LENGTH samples, newest
// first, for the distance plot. Knows no widget and no device, so the window, headless mode, replay and
// the tests all run this one object; every time rule uses the sample's own time, so a replayed recording
// comes out as it was recorded.
class MeasurementProcessor
{
public:
    static constexpr int SERIES_LENGTH = 200;
    // Nominal cycle, used for the ages of the samples that exist before the first measurement.
    static constexpr int NOMINAL_CYCLE_MS = 33;

    // Presence counts as recent during the first seconds after startMs.
    explicit MeasurementProcessor(qint64 startMs);
    // Forgets every sample, as if constructed at startMs.
    void reset(qint64 startMs);

    // Runs the filters and the classification on the raw fields of the sample at its time and fills in the
    // rest; the ages of the older samples grow by elapsedMs.
    void process(MeasurementSample& sample, qint64 elapsedMs);

    // The steps of process(), in its order.
    void updateSeries(const MeasurementSample& sample);
    void updateObjectState(qint64 nowMs);
    void updatePresence(qint64 nowMs);

    // The "#DEMODATA;" record of the newest sample, time-stamped nowMs.
    QString demoDataRecord(qint64 nowMs) const;

    const QVector<double>& timeSeries() const { return itsTimeSeries; }
    const QVector<double>& distanceSeries() const { return itsDistanceSeries; }
    const QVector<double>& rawDistanceSeries() const { return itsRawDistanceSeries; }
    const QVector<double>& movementSeries() const { return itsMovementSeries; }
    const QVector<double>& confidenceSeries() const { return itsConfidenceSeries; }
    quint32 photonCountReference() const { return itsPhotonCountReference; }
    quint32 photonCountObject() const { return itsPhotonCountObject; }
    int objectState() const { return itsObjectState; }
    int isPresenceRecent() const { return itsPresenceRecent; }

protected:
    // Newest first. Protected so that a subclass can present samples the filters would never produce.
    QVector<double> itsTimeSeries;
    QVector<double> itsDistanceSeries;
    QVector<double> itsRawDistanceSeries;
    QVector<double> itsMovementSeries;
    QVector<double> itsConfidenceSeries;

private:
    void resetStaticTracking();
    void markPresence(qint64 nowMs);
    static void shiftIn(QVector<double>& series, double newest);

    quint32 itsPhotonCountReference = 0;
    quint32 itsPhotonCountObject = 0;
    int itsObjectState = STATE_NO_OBJECT;
    int itsPresenceRecent = 0;
    qint64 itsLastPresenceMs = 0;
    double itsStaticBandMax = 0.0;
    double itsStaticBandMin = 0.0;
    qint64 itsStaticStartMs = 0;
    double itsLastRawDistance = 0.0;
    double itsLastMedianDistance = 0.0;
    double itsLastRawConfidence = 0.0;
    double itsLastSmoothedConfidence = 0.0;
    double itsLastDistanceChange = 0.0;
    double itsLastMovement = 0.0;
};

#endif
