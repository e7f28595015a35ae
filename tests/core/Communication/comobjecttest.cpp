#include "comobjectprobe.h"
#include "testcomobjects.h"

#include "Communication/comobjecthelper.h"
#include "Communication/streamflushobject.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <array>
#include <memory>

using namespace NoxCore::Communication;

TEST(ComObjectHelper, PacksAndUnpacksBigEndianIntegers)
{
    struct Case
    {
        unsigned int width;
        bool accepted;
        std::array<unsigned char, 5> bytes;
        unsigned int unpacked;
    };
    // 0xEE marks bytes that must stay untouched.
    const Case cases[] = {
        {0, true, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, 0xCAFE},
        {1, true, {0xEF, 0xEE, 0xEE, 0xEE, 0xEE}, 0xEF},
        {2, true, {0xBE, 0xEF, 0xEE, 0xEE, 0xEE}, 0xBEEF},
        {3, false, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, 0xCAFE},
        {4, true, {0xDE, 0xAD, 0xBE, 0xEF, 0xEE}, 0xDEADBEEF},
        {5, false, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, 0xCAFE},
    };
    for (const Case& testCase : cases)
    {
        SCOPED_TRACE(testCase.width);
        std::array<unsigned char, 5> buffer;
        buffer.fill(0xEE);
        EXPECT_EQ(ComObjectHelper::serialize(buffer.data(), testCase.width, 0xDEADBEEF), testCase.accepted);
        EXPECT_EQ(buffer, testCase.bytes);
        unsigned int value = 0xCAFE;
        EXPECT_EQ(ComObjectHelper::deserialize(testCase.bytes.data(), testCase.width, value),
                  testCase.accepted);
        EXPECT_EQ(value, testCase.unpacked);
    }
    unsigned int unused = 0;
    EXPECT_FALSE(ComObjectHelper::serialize(nullptr, 2, 1));
    EXPECT_FALSE(ComObjectHelper::deserialize(nullptr, 2, unused));
}

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

TEST(StreamFlushObject, WritesNothingAndSkipsItsTelegramElement)
{
    StreamFlushObject flush;
    EXPECT_TRUE(flush.serialize(nullptr, 0));
    QXmlStreamReader reader(QStringLiteral("<StreamFlush><Ignored>1</Ignored></StreamFlush><Next/>"));
    reader.readNextStartElement();
    EXPECT_TRUE(flush.xmlDeserialize(&reader));
    EXPECT_TRUE(reader.isEndElement());
    EXPECT_EQ(reader.name(), QStringLiteral("StreamFlush"));
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
