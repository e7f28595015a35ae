#include "HidDevice/linux/hiduevent.h"

#include <gtest/gtest.h>

using NoxHid::HidUevent;

TEST(HidUevent, TakesTheIdsOnlyFromAWellFormedHidIdAndKeepsTheOtherFieldsEitherWay)
{
    const struct
    {
        const char* lines;
        bool hasIds;
    } cases[] = {
        {"DRIVER=hid-generic\nHID_ID=0003:00007A3C:00000C08", true},
        {"HID_ID=0003:7a3c:0c08", true},
        {"", false},
        {"HID_ID", false},
        {"HID_ID=", false},
        {"HID_ID=0003:00007A3C", false},
        {"HID_ID=0003:00007A3C:00000C08:0001", false},
        {"HID_ID=0003::00000C08", false},
        {"HID_ID=0003:0000ZZ3C:00000C08", false},
        {"HID_ID=0003:0x7A3C:00000C08", false},
        {"HID_ID=0003:+7A3C:00000C08", false},
        {"HID_ID=0003:00017A3C:00000C08", false},
        {"HID_ID=0003:000000007A3C:00000C08", false},
        {"HID_ID=00010003:00007A3C:00000C08", false},
        {"HID_ID=0003:00007A3C:00000C08 ", false},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.lines);
        const HidUevent uevent(
            QByteArray(testCase.lines) +
            "\nHID_NAME=Nox Sensor Systems Lidora Board\nHID_PHYS=usb-0000:00:14.0-2/input3\n"
            "MODALIAS=hid:b0003g0001v00007A3Cp00000C08");
        EXPECT_EQ(uevent.hasIds(), testCase.hasIds);
        EXPECT_EQ(uevent.vendorId(), testCase.hasIds ? 0x7A3C : 0);
        EXPECT_EQ(uevent.productId(), testCase.hasIds ? 0x0C08 : 0);
        EXPECT_EQ(uevent.name(), QByteArray("Nox Sensor Systems Lidora Board"));
    }
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
