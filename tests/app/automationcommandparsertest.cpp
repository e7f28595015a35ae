#include "automationcommandparser.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

TEST(AutomationCommandParser, SplitsAtLineBreaksTrimsDropsEmptyAndStopsAtZero)
{
    const struct
    {
        const char* what;
        QByteArray chunk;
        QStringList commands;
    } cases[] = {
        {"one bare command", "d", {"d"}},
        {"without line breaks the chunk is one command", " start now\t", {"start now"}},
        {"CR LF, LF and CR all end lines", "d\r\np\nb\rgo", {"d", "p", "b", "go"}},
        {"empty and blank lines are dropped", "\r\n\r\n  \nd\n\n", {"d"}},
        {"only blanks", " \t \r\n ", {}},
        {"nothing", "", {}},
        {"a zero byte ends the chunk", QByteArray("d\np\0b\n", 6), {"d", "p"}},
        {"a zero byte first leaves nothing", QByteArray("\0d\n", 3), {}},
        {"bytes above 0x7f are Latin-1", "\xe9t\xe9\n", {QString::fromLatin1("\xe9t\xe9")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AutomationCommandParser::parse(c.chunk), c.commands) << c.what;
}
