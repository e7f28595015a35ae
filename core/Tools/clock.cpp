#include "clock.h"

#include <QDateTime>

namespace NoxCore {
namespace Tools {

namespace {

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
