#ifndef LIDORA_TESTS_MANUALCLOCK_H
#define LIDORA_TESTS_MANUALCLOCK_H

#include "Tools/clock.h"

// Installs a hand-driven clock for the lifetime of the object, so time rules run without sleeping.
class ManualClock
{
public:
    explicit ManualClock(qint64 startMs = 1700000000000) : itsNow(startMs)
    {
        NoxCore::Tools::Clock::setSource([this] { return itsNow; });
    }
    ~ManualClock() { NoxCore::Tools::Clock::resetSource(); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    qint64 now() const { return itsNow; }
    void advance(qint64 ms) { itsNow += ms; }

private:
    qint64 itsNow;
};

#endif
