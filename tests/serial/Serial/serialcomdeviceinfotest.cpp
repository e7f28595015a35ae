// Which of the system's serial ports is the board's: port numbers, the selection by ids and texts, and the
// one-line description in the log.
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

TEST(SerialComDeviceInfoTest, SelectionKeepsNumberedPortsThatPassTheFilterInOrder)
{
    const QList<SerialComDeviceInfo> ports = {
        port("ttyS0", 0, 0),
        port("ttyACM0", 0x2341, BOARD_PRODUCT, "Arduino LLC", "Uno"),
        port("ttyACM1", BOARD_VENDOR, BOARD_PRODUCT, "Nox Sensor Systems", "Lidora CDC"),
        port("ttyUSB12", BOARD_VENDOR, 0x0001, "Nox Sensor Systems", "Lidora Debug"),
        port("cu.usbmodem", BOARD_VENDOR, BOARD_PRODUCT, "Nox Sensor Systems", "Lidora CDC"),
        port("COM3", BOARD_VENDOR, BOARD_PRODUCT, "Nox Sensor Systems", "Lidora CDC Second"),
    };
    const QList<QPair<SerialComDeviceInfo, QStringList>> cases = {
        {SerialComDeviceInfo(), {"ttyS0", "ttyACM0", "ttyACM1", "ttyUSB12", "COM3"}},
        {SerialComDeviceInfo(BOARD_VENDOR, BOARD_PRODUCT), {"ttyACM1", "COM3"}},
        {port("", 0, 0, "Sensor"), {"ttyACM1", "ttyUSB12", "COM3"}},
        {port("", 0, 0, "sensor"), {}},
        {port("", BOARD_VENDOR, 0, "", "Debug"), {"ttyUSB12"}},
        {port("", BOARD_VENDOR, BOARD_PRODUCT, "Nox", "Second"), {"COM3"}},
    };
    for (const auto& testCase : cases)
    {
        QStringList names;
        for (const SerialComDeviceInfo& device : SerialComDriver::selectDevices(ports, &testCase.first))
            names << device.port();
        EXPECT_EQ(names, testCase.second) << testCase.first.toString().toStdString();
    }
    EXPECT_EQ(SerialComDriver::selectDevices(ports, nullptr).size(), 5);
}

TEST(SerialComDeviceInfoTest, ToStringIsOneLineWithDecimalIds)
{
    // A placeholder in a device's own text stays as it is instead of taking the next field's value.
    EXPECT_EQ(port("ttyACM0", BOARD_VENDOR, BOARD_PRODUCT, "100%1", "%2").toString(),
              "COM Device:  Manufacturer: 100%1  Description: %2  Port: ttyACM0  Vendor ID: 31292  Product "
              "ID: 3080");
}
