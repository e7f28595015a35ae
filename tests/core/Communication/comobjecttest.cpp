#include "comobjectprobe.h"
#include "testcomobjects.h"

#include "Communication/comobjecthelper.h"
#include "Communication/streamflushobject.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

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
        {0, true, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, 0xCAFE}, {1, true, {0x34, 0xEE, 0xEE, 0xEE, 0xEE}, 0x34},
        {2, true, {0x12, 0x34, 0xEE, 0xEE, 0xEE}, 0x1234}, {3, false, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, 0xCAFE},
        {4, true, {0x00, 0x00, 0x12, 0x34, 0xEE}, 0x1234}, {5, false, {0xEE, 0xEE, 0xEE, 0xEE, 0xEE}, 0xCAFE},
    };
    for (const Case& testCase : cases)
    {
        SCOPED_TRACE(testCase.width);
        std::array<unsigned char, 5> buffer;
        buffer.fill(0xEE);
        EXPECT_EQ(ComObjectHelper::serialize(buffer.data(), testCase.width, 0x1234), testCase.accepted);
        EXPECT_EQ(buffer, testCase.bytes);
        unsigned int value = 0xCAFE;
        EXPECT_EQ(ComObjectHelper::deserialize(testCase.bytes.data(), testCase.width, value),
                  testCase.accepted);
        EXPECT_EQ(value, testCase.unpacked);
    }
    const unsigned char full[] = {0xDE, 0xAD, 0xBE, 0xEF};
    unsigned int value = 0;
    EXPECT_TRUE(ComObjectHelper::deserialize(full, 4, value));
    EXPECT_EQ(value, 0xDEADBEEFu);
    EXPECT_FALSE(ComObjectHelper::serialize(nullptr, 2, 1));
    EXPECT_FALSE(ComObjectHelper::deserialize(nullptr, 2, value));
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
    EXPECT_FALSE(flush.xmlDeserialize(nullptr));
    EXPECT_FALSE(flush.xmlSerialize(nullptr, 0));
}

TEST(Telegram, CommentFollowsTheOpeningTagEscaped)
{
    ScriptedComObject object(0x61, 2, 2, IComObject::RequestAndResponse, 0x08000000);
    object.setComment(QStringLiteral("read <id>"));
    EXPECT_EQ(telegramOf(&object, 0), "\n"
                                      "<Telegram Pid=\"61\" CallingType=\"RequestAndResponse\" "
                                      "TelegramType=\"Request\" Trace=\"08000000\">\n"
                                      "    <Comment>read &lt;id&gt;</Comment>\n"
                                      "    <ScriptedCommand>\n"
                                      "        <Request>a0a1</Request>\n"
                                      "    </ScriptedCommand>\n"
                                      "</Telegram>");
    EXPECT_TRUE(telegramOf(&object, 1)
                    .contains("TelegramType=\"Response\" Trace=\"08000000\">\n"
                              "    <Comment>read &lt;id&gt;</Comment>\n"));
}

TEST(Telegram, OpeningTagOfObjectsWithoutProtocolOrKnownCallingType)
{
    BareComObject bare;
    bare.setCallingType(static_cast<IComObject::CallingType>(5));
    bare.setTracePattern(0xABC);
    QString text;
    QXmlStreamWriter writer(&text);
    ComObjectHelper::writeOpeningTag(&bare, &writer, 7);
    ComObjectHelper::writeTextElementWithType(&writer, QStringLiteral("Value"), QStringLiteral("1f"),
                                              QString());
    ComObjectHelper::writeClosingTag(&writer);
    EXPECT_EQ(text,
              "<Telegram Pid=\"0\" CallingType=\"Unknown\" TelegramType=\"Response\" Trace=\"00000abc\">"
              "<Value type=\"\">1f</Value></Telegram>");
}
