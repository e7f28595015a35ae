#include "Tools/noxassert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace
{

const int ASSERT_LINE = __LINE__ + 4;

void requireWidget(const void* widget)
{
    NOX_ASSERT(widget != NULL, "widget is Null!");
}

std::string expectedOutput()
{
    return "Assert in: [^\n]*noxasserttest\\.cpp, line " + std::to_string(ASSERT_LINE) +
           "\\.\nAssert expression:  widget != NULL\nMessage: widget is Null!\n";
}

} // namespace

TEST(NoxAssertDeathTest, PrintsFileLineExpressionAndMessageThenAborts)
{
    // The three lines go to both streams; the death test sees standard error.
    EXPECT_DEATH(requireWidget(nullptr), expectedOutput());
}

TEST(NoxAssertDeathTest, WritesTheSameLinesToStandardOutput)
{
    // Inside the child: standard output takes over the captured stream, standard error goes nowhere,
    // so what the matcher sees is what standard output received.
    EXPECT_DEATH(
        {
            dup2(fileno(stderr), fileno(stdout));
            std::freopen("/dev/null", "w", stderr);
            requireWidget(nullptr);
        },
        expectedOutput());
}

TEST(NoxAssert, PassesSilentlyWhenTheExpressionHolds)
{
    int value = 1;
    NOX_ASSERT(value == 1, "never printed");
    SUCCEED();
}
