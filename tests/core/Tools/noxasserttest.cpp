#include "Tools/noxassert.h"

#include "support/assertionpattern.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace
{

const int ASSERT_LINE = __LINE__ + 4;

void requireWidget(const void* widget)
{
    NOX_ASSERT(widget != NULL, "widget is Null!");
}

} // namespace

TEST(NoxAssertDeathTest, PrintsFileLineExpressionAndMessageOnBothStreamsThenAborts)
{
    const std::string expected =
        assertionPattern("noxasserttest", "widget != NULL", "widget is Null!", ASSERT_LINE);
    EXPECT_DEATH(requireWidget(nullptr), expected);
    // A GUI started from a desktop may have only standard output: send it where the matcher looks and
    // silence standard error.
    EXPECT_DEATH(
        {
            dup2(fileno(stderr), fileno(stdout));
            // Without the redirection the case proves nothing: end without the message the matcher wants.
            if (std::freopen(qPrintable(QProcess::nullDevice()), "w", stderr) == nullptr)
                std::_Exit(3);
            requireWidget(nullptr);
        },
        expected);
    requireWidget(&expected); // holds: no output, no abort
}
