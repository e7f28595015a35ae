#include "HidDevice/linux/hiduevent.h"

#include <gtest/gtest.h>

using NoxHid::HidUevent;

namespace
{

const QByteArray NAME_AND_PHYS =
    "HID_NAME=Nox Sensor Systems Lidora Board\nHID_PHYS=usb-0000:00:14.0-2/input3\n";

} // namespace

TEST(HidUevent, ReadsIdsNameAndInterfaceNumber)
{
    const HidUevent uevent("DRIVER=hid-generic\nHID_ID=0003:00007A3C:00000C08\n" + NAME_AND_PHYS +
                           "MODALIAS=hid:b0003g0001v00007A3Cp00000C08");
    EXPECT_TRUE(uevent.hasIds());
    EXPECT_EQ(uevent.vendorId(), 0x7A3C);
    EXPECT_EQ(uevent.productId(), 0x0C08);
    EXPECT_EQ(uevent.name(), QByteArray("Nox Sensor Systems Lidora Board"));
    EXPECT_EQ(uevent.interfaceNumber(), 3);
}

TEST(HidUevent, AMalformedIdMakesTheIdsUnavailableButKeepsTheOtherFields)
{
    const char* const ids[] = {
        "",
        "0003:00007A3C",
        "0003:00007A3C:00000C08:0001",
        "0003::00000C08",
        "0003:0000ZZ3C:00000C08",
        "0003:0x7A3C:00000C08",
        "0003:+7A3C:00000C08",
        "0003:00017A3C:00000C08",
        "0003:000000007A3C:00000C08",
        "00010003:00007A3C:00000C08",
        "0003:00007A3C:00000C08 ",
    };
    for (const char* const id : ids)
    {
        SCOPED_TRACE(id);
        const HidUevent uevent(QByteArray("HID_ID=") + id + "\n" + NAME_AND_PHYS);
        EXPECT_FALSE(uevent.hasIds());
        EXPECT_EQ(uevent.vendorId(), 0);
        EXPECT_EQ(uevent.productId(), 0);
        EXPECT_EQ(uevent.interfaceNumber(), 3);
    }
    EXPECT_FALSE(HidUevent(NAME_AND_PHYS).hasIds());
    EXPECT_FALSE(HidUevent("HID_ID").hasIds());
    EXPECT_FALSE(HidUevent(QByteArray()).hasIds());
}

TEST(HidUevent, TakesTheInterfaceNumberOnlyFromADecimalInputSuffix)
{
    const struct
    {
        const char* phys;
        int interfaceNumber;
    } cases[] = {
        {"usb-0000:00:14.0-2/input4", 4},
        {"usb-0000:00:14.0-2/input255", 255},
        {"usb-0000:00:14.0-2/input256", HidUevent::NO_INTERFACE_NUMBER},
        {"usb-0000:00:14.0-2/input", HidUevent::NO_INTERFACE_NUMBER},
        {"usb-0000:00:14.0-2/input3a", HidUevent::NO_INTERFACE_NUMBER},
        {"usb-0000:00:14.0-2/input-1", HidUevent::NO_INTERFACE_NUMBER},
        {"00:1a:7d:da:71:13", HidUevent::NO_INTERFACE_NUMBER},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.phys);
        EXPECT_EQ(HidUevent(QByteArray("HID_PHYS=") + testCase.phys).interfaceNumber(),
                  testCase.interfaceNumber);
    }
}
