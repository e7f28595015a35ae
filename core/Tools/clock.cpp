#include "clock.h"

#include <QDateTime>

#include <chrono>

namespace NoxCore
{
namespace Tools
{

namespace
{

Clock::Source& installedSource()
{
    static Clock::Source source;
    return source;
}

} // namespace

qint64 Clock::currentMSecsSinceEpoch()
{
    const Source& source = installedSource();
    return source ? source() : QDateTime::currentMSecsSinceEpoch();
}

qint64 Clock::monotonicMSecs()
{
    const Source& source = installedSource();
    if (source)
        return source();
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
}

void Clock::setSource(Source source)
{
    installedSource() = std::move(source);
}

void Clock::resetSource()
{
    installedSource() = Source();
}

} // namespace Tools
} // namespace NoxCore
