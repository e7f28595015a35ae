#include "comobjectprobe.h"
#include "testcomobjects.h"

#include "Communication/Control/firmwarenumbercomobject.h"
#include "Communication/streamflushobject.h"

#include <gtest/gtest.h>

#include <memory>

using namespace NoxCore::Communication;
using NoxCore::Communication::Control::FirmwareNumberComObject;

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

TEST(FirmwareNumberComObject, AsksWithoutPayloadAndTakesOnlyWholeThreeByteNumbers)
{
    FirmwareNumberComObject firmware(0x40000000);
    EXPECT_EQ(firmware.protocol(), 0x67);
    EXPECT_EQ(firmware.serializeSize(), 0u);
    EXPECT_EQ(firmware.deserializeSize(), 3u);
    EXPECT_EQ(telegramOf(&firmware, 0), "\n"
                                        "<Telegram Pid=\"67\" CallingType=\"RequestAndResponse\" "
                                        "TelegramType=\"Request\" Trace=\"40000000\">\n"
                                        "    <FirmwareNumber/>\n"
                                        "</Telegram>");

    EXPECT_TRUE(answer(&firmware, QByteArray::fromHex("020511")));
    EXPECT_EQ(firmware.get(), 0x20511u);
    EXPECT_TRUE(telegramOf(&firmware, 1)
                    .contains("    <FirmwareNumber>\n"
                              "        <Major OutProperty=\"True\">2</Major>\n"
                              "        <Minor OutProperty=\"True\">5</Minor>\n"
                              "        <Marker OutProperty=\"True\">11</Marker>\n"
                              "    </FirmwareNumber>\n"));
    // Whole numbers come back in the telegram round trip; part of one would name a different firmware.
    EXPECT_FALSE(readTelegram(&firmware, "<Telegram><FirmwareNumber><Major>4</Major><Minor>5</Minor>"
                                         "</FirmwareNumber></Telegram>"));
    EXPECT_EQ(firmware.get(), 0x20511u);
    // Fault: a short answer kept the object valid with status 0, so a missing number passed as firmware 0.
    EXPECT_FALSE(answer(&firmware, QByteArray::fromHex("0205")));
    EXPECT_EQ(firmware.get(), 0u);
    EXPECT_FALSE(firmware.valid());
}
