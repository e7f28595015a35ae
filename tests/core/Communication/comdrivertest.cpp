#include "Communication/comdriver.h"
#include "Communication/commutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

using namespace NoxCore::Communication;

TEST(ComDriver, ErrorTexts)
{
    EXPECT_STREQ(ComDriver::errorToString(0), "Success");
    EXPECT_STREQ(ComDriver::errorToString(-1), "Error: channel not open");
    EXPECT_STREQ(ComDriver::errorToString(-2), "Error: transmit failed");
    EXPECT_STREQ(ComDriver::errorToString(-3), "Error: receive failed");
    EXPECT_STREQ(ComDriver::errorToString(-4), "Error: received and expected data mismatch");
    EXPECT_STREQ(ComDriver::errorToString(-5), "");
    for (const int code : {1, -6, 1000, -1000})
        EXPECT_STREQ(ComDriver::errorToString(code), "Unknown error code") << code;
}

TEST(ComMutex, CountsLevelsAndReleasesThemAll)
{
    ComMutex mutex;
    EXPECT_FALSE(mutex.unlock());
    mutex.lock();
    mutex.lock();
    mutex.lock();
    EXPECT_TRUE(mutex.unlock());

    auto lockedElsewhere = std::async(std::launch::async,
                                      [&mutex]
                                      {
                                          mutex.lock();
                                          mutex.unlock();
                                      });
    EXPECT_EQ(lockedElsewhere.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    mutex.unlockAll();
    EXPECT_EQ(lockedElsewhere.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_FALSE(mutex.unlock());
}
