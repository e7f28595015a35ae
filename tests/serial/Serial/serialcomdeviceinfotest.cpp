// What the driver makes of a serial port's name and texts: its number, and the one-line description in the
// log.
#include "Serial/serialcomdriver.h"

#include "support/qtprinters.h"
#include "support/serialports.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace NoxCom::Serial;

TEST(SerialComDeviceInfoTest, PortNumberIsTheNumberAtTheEndOfTheName)
{
    const QList<QPair<QString, int>> cases = {
        {"COM3", 3}, {"ttyACM0", 0}, {"ttyS", -1}, {"ttyUSB40000", -1}, {"ttyACM1x", -1},
    };
    for (const auto& testCase : cases)
    {
        qint16 number = -1;
        EXPECT_EQ(SerialComDeviceInfo::portNumberFromName(testCase.first, &number), testCase.second >= 0)
            << testCase.first.toStdString();
        EXPECT_EQ(number, testCase.second) << testCase.first.toStdString();
    }
}

TEST(SerialComDeviceInfoTest, ToStringIsOneLineWithDecimalIds)
{
    // A placeholder in a device's own text stays as it is instead of taking the next field's value.
    EXPECT_EQ(port("ttyACM0", BOARD_VENDOR, BOARD_PRODUCT, "100%1", "%2").toString(),
              "COM Device:  Manufacturer: 100%1  Description: %2  Port: ttyACM0  Vendor ID: 31292  Product "
              "ID: 3080");
}
