#include "Tools/clock.h"

#include <QDateTime>

#include <gtest/gtest.h>

using NoxCore::Tools::Clock;

TEST(Clock, FollowsAnInstalledSourceAndFallsBackToTheWallClock)
{
    qint64 fake = 42;
    Clock::setSource([&fake] { return fake; });
    fake = 1000;
    EXPECT_EQ(Clock::currentMSecsSinceEpoch(), 1000) << "read at each call, not copied";

    Clock::resetSource();
    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    const qint64 now = Clock::currentMSecsSinceEpoch();
    EXPECT_GE(now, before);
    EXPECT_LE(now, QDateTime::currentMSecsSinceEpoch());
}
