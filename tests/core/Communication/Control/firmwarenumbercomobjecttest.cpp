#include "core/Communication/comobjectprobe.h"

#include "Communication/Control/firmwarenumbercomobject.h"

#include <gtest/gtest.h>

using NoxCore::Communication::Control::FirmwareNumberComObject;

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
