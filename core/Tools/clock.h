#ifndef NOXCORE_TOOLS_CLOCK_H
#define NOXCORE_TOOLS_CLOCK_H

#include <QtGlobal>

#include <functional>

namespace NoxCore {
namespace Tools {

// The one source of "now" (milliseconds since 1970-01-01 UTC) for every time rule of the program: presence,
// static objects, script waits, label refresh. Tests install their own source so that those rules run
// without sleeping. Used from the GUI thread only.
class Clock
{
public:
    using Source = std::function<qint64()>;

    static qint64 currentMSecsSinceEpoch();

    // Replaces the wall clock; an empty source restores it.
    static void setSource(Source source);
    static void resetSource();
};

} // namespace Tools
} // namespace NoxCore

#endif
