#include "measurementstatistics.h"

#include <algorithm>
#include <cmath>

double MeasurementStatistics::Summary::ratePerSecond() const
{
    return spanMs > 0 ? double(measurements - 1) * 1000.0 / double(spanMs) : 0.0;
}

double MeasurementStatistics::Summary::stateShare(int state) const
{
    qint64 totalMs = 0;
    for (qint64 ms : stateMs)
        totalMs += ms;
    return totalMs > 0 ? double(stateMs[state]) / double(totalMs) : 0.0;
}

void MeasurementStatistics::Totals::add(const Entry& entry, int sign)
{
    measurements += sign;
    failedExchanges += entry.failed ? sign : 0;
    if (entry.hasObject)
    {
        objectSamples += sign;
        distanceSum += quint64(sign * qint64(entry.distanceMm));
        distanceSquareSum += quint64(sign * qint64(entry.distanceMm) * qint64(entry.distanceMm));
    }
}

MeasurementStatistics::Summary MeasurementStatistics::Totals::summary() const
{
    Summary result;
    result.measurements = measurements;
    result.failedExchanges = failedExchanges;
    result.objectSamples = objectSamples;
    result.spanMs = measurements > 0 ? lastMs - firstMs : 0;
    std::copy(std::begin(stateMs), std::end(stateMs), std::begin(result.stateMs));
    if (objectSamples > 0)
    {
        const double n = double(objectSamples);
        result.meanMm = double(distanceSum) / n;
        result.minimumMm = minimumMm;
        result.maximumMm = maximumMm;
    }
    if (objectSamples > 1)
    {
        const double n = double(objectSamples);
        // From the exact integer sums, so nothing accumulates rounding errors over a long run.
        const double squares = double(distanceSquareSum) - double(distanceSum) * double(distanceSum) / n;
        result.standardDeviationMm = std::sqrt(std::max(0.0, squares / (n - 1.0)));
    }
    return result;
}

void MeasurementStatistics::add(const MeasurementSample& sample)
{
    const Entry entry{sample.timeMs,     0, sample.objectState, sample.exchangeFailed, sample.hasObject,
                      sample.rawDistance};

    // The previous sample's state lasted until now.
    if (!itsRecentEntries.empty())
    {
        Entry& previous = itsRecentEntries.back();
        // A wall clock set back gives no negative time.
        previous.durationMs = std::max<qint64>(0, entry.timeMs - previous.timeMs);
        itsRecent.stateMs[previous.state] += previous.durationMs;
        itsSinceStart.stateMs[previous.state] += previous.durationMs;
    }

    for (Totals* totals : {&itsSinceStart, &itsRecent})
    {
        totals->add(entry, 1);
        if (totals->measurements == 1)
            totals->firstMs = entry.timeMs;
        totals->lastMs = entry.timeMs;
    }
    if (entry.hasObject)
    {
        if (itsSinceStart.objectSamples == 1 || entry.distanceMm < itsSinceStart.minimumMm)
            itsSinceStart.minimumMm = entry.distanceMm;
        if (itsSinceStart.objectSamples == 1 || entry.distanceMm > itsSinceStart.maximumMm)
            itsSinceStart.maximumMm = entry.distanceMm;
        while (!itsRecentMinima.empty() && itsRecentMinima.back().distanceMm >= entry.distanceMm)
            itsRecentMinima.pop_back();
        itsRecentMinima.push_back(entry);
        while (!itsRecentMaxima.empty() && itsRecentMaxima.back().distanceMm <= entry.distanceMm)
            itsRecentMaxima.pop_back();
        itsRecentMaxima.push_back(entry);
    }
    itsRecentEntries.push_back(entry);

    // Samples older than the window leave it with everything they added.
    const qint64 windowStartMs = entry.timeMs - RECENT_WINDOW_MS;
    while (itsRecentEntries.front().timeMs < windowStartMs)
    {
        const Entry& oldest = itsRecentEntries.front();
        itsRecent.add(oldest, -1);
        itsRecent.stateMs[oldest.state] -= oldest.durationMs;
        itsRecentEntries.pop_front();
        itsRecent.firstMs = itsRecentEntries.front().timeMs;
    }
    while (!itsRecentMinima.empty() && itsRecentMinima.front().timeMs < windowStartMs)
        itsRecentMinima.pop_front();
    while (!itsRecentMaxima.empty() && itsRecentMaxima.front().timeMs < windowStartMs)
        itsRecentMaxima.pop_front();
    if (!itsRecentMinima.empty())
    {
        itsRecent.minimumMm = itsRecentMinima.front().distanceMm;
        itsRecent.maximumMm = itsRecentMaxima.front().distanceMm;
    }
}
