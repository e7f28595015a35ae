#include "Communication/comdriver.h"

#include <gtest/gtest.h>

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
