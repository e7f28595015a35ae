#include "comobjectprobe.h"
#include "testcomobjects.h"

#include "Communication/streamflushobject.h"

#include <gtest/gtest.h>

#include <memory>

using namespace NoxCore::Communication;

TEST(ComObject, ACopyIsNeverPartOfAPendingList)
{
    ScriptedComObject original(0x02, 0, 17);
    ScriptedComObject other(0x03, 0, 17);
    original.setComment(QStringLiteral("note"));
    original.setNext(&other);
    const std::unique_ptr<IComObject> copy(original.clone());
    EXPECT_EQ(copy->next(), nullptr);
    EXPECT_EQ(copy->getComment(), QStringLiteral("note"));
}

TEST(Telegram, CommentFollowsTheOpeningTagEscaped)
{
    StreamFlushObject flush;
    EXPECT_EQ(telegramOf(&flush, 0), "\n"
                                     "<Telegram Pid=\"7f\" CallingType=\"FireAndForget\" "
                                     "TelegramType=\"Request\" Trace=\"80000000\">\n"
                                     "    <StreamFlush/>\n"
                                     "</Telegram>");
    flush.setComment(QStringLiteral("flush <all>"));
    EXPECT_TRUE(telegramOf(&flush, 1).contains("TelegramType=\"Response\" Trace=\"80000000\">\n"
                                               "    <Comment>flush &lt;all&gt;</Comment>\n"
                                               "    <StreamFlush/>\n"));
}
