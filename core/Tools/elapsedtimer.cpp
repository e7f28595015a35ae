#include "elapsedtimer.h"

#include "clock.h"

namespace NoxCore
{
namespace Tools
{

void ElapsedTimer::start()
{
    itsStartMs = Clock::monotonicMSecs();
}

qint64 ElapsedTimer::restart()
{
    const qint64 now = Clock::monotonicMSecs();
    const qint64 elapsedMs = isValid() ? now - itsStartMs : 0;
    itsStartMs = now;
    return elapsedMs;
}

qint64 ElapsedTimer::elapsed() const
{
    return isValid() ? Clock::monotonicMSecs() - itsStartMs : INVALID;
}

} // namespace Tools
} // namespace NoxCore
