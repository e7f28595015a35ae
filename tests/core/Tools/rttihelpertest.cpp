#include "Tools/rttihelper.h"

#include <gtest/gtest.h>

using NoxCore::Tools::RttiHelper;

TEST(RttiHelper, DemanglesTypeNamesAndLeavesOtherTextAlone)
{
    EXPECT_EQ(RttiHelper::unmangleTypeName("N7NoxCore13Communication9ComStreamE"),
              "NoxCore::Communication::ComStream");
    EXPECT_EQ(RttiHelper::unmangleTypeName("not a mangled name"), "not a mangled name");
    EXPECT_EQ(RttiHelper::unmangleTypeName(""), "");
    EXPECT_EQ(RttiHelper::unmangleTypeName(nullptr), "");
}
