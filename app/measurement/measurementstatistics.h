#ifndef LIDORA_MEASUREMENTSTATISTICS_H
#define LIDORA_MEASUREMENTSTATISTICS_H

#include "measurementsample.h"

#include <QtGlobal>

#include <deque>

// How steady the sensor reads, over the last RECENT_WINDOW_MS and since the start: measurement rate, failed
// exchanges, mean, standard deviation, minimum and maximum of the raw distance of the samples with an
// object, and the share of time per object state (a sample's state lasts until the next sample).
// Incremental: each sample costs a constant amount of work on average, however long the run; the sums are
// integers, so they do not drift over a day of measurements. Knows no widget.
class MeasurementStatistics
{
public:
    static constexpr qint64 RECENT_WINDOW_MS = 10000;

    struct Summary
    {
        qint64 measurements = 0;
        qint64 failedExchanges = 0;
        qint64 objectSamples = 0;
        qint64 spanMs = 0; // from the first to the newest sample
        double meanMm = 0.0;
        double standardDeviationMm = 0.0; // of a sample (n - 1), as spreadsheets and pandas compute it
        quint16 minimumMm = 0;
        quint16 maximumMm = 0;
        qint64 stateMs[OBJECT_STATE_COUNT] = {};

        // Measurements per second; 0 until there are two.
        double ratePerSecond() const;
        // Share of the time in the state, 0 to 1; 0 until time has passed.
        double stateShare(int state) const;
    };

    void reset() { *this = MeasurementStatistics(); }
    void add(const MeasurementSample& sample);

    Summary recent() const { return itsRecent.summary(); }
    Summary sinceStart() const { return itsSinceStart.summary(); }

private:
    struct Entry
    {
        qint64 timeMs;
        qint64 durationMs; // until the next sample; 0 for the newest
        int state;
        bool failed;
        bool hasObject;
        quint16 distanceMm;
    };

    // Integer sums of a set of entries, to which entries are added and from which they are taken away.
    struct Totals
    {
        qint64 measurements = 0;
        qint64 failedExchanges = 0;
        qint64 objectSamples = 0;
        qint64 firstMs = 0;
        qint64 lastMs = 0;
        quint64 distanceSum = 0;
        quint64 distanceSquareSum = 0;
        qint64 stateMs[OBJECT_STATE_COUNT] = {};
        quint16 minimumMm = 0;
        quint16 maximumMm = 0;

        void add(const Entry& entry, int sign);
        Summary summary() const;
    };

    Totals itsSinceStart;
    Totals itsRecent;
    std::deque<Entry> itsRecentEntries;
    // Candidates for the window's minimum and maximum, in time order: each is smaller (larger) than every
    // later one, so the front is the extreme and a new sample drops those it beats from the back.
    std::deque<Entry> itsRecentMinima;
    std::deque<Entry> itsRecentMaxima;
};

#endif
