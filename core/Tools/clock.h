#ifndef NOXCORE_TOOLS_CLOCK_H
#define NOXCORE_TOOLS_CLOCK_H

#include <QtGlobal>

#include <functional>

namespace NoxCore
{
namespace Tools
{

// The one source of "now" for every time rule of the program: presence, static objects, script waits,
// label refresh, cycle lengths. Tests install their own source so that those rules run without sleeping;
// it then drives both the wall clock and the monotonic clock. Used from the GUI thread only.
class Clock
{
public:
    using Source = std::function<qint64()>;

    // Wall clock: milliseconds since 1970-01-01 UTC, for time stamps and the time rules.
    static qint64 currentMSecsSinceEpoch();
    // Monotonic milliseconds from an arbitrary start, for durations (see ElapsedTimer).
    static qint64 monotonicMSecs();

    // Replaces the wall clock; an empty source restores it.
    static void setSource(Source source);
    static void resetSource();
};

} // namespace Tools
} // namespace NoxCore

#endif
