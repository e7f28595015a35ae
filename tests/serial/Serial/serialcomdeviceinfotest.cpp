#include "Serial/serialcomdriver.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace NoxCom::Serial;

namespace
{

const quint16 BOARD_VENDOR = 0x7A3C;
const quint16 BOARD_PRODUCT = 0x0C08;

SerialComDeviceInfo fakePort(const QString& name, quint16 vendorId, quint16 productId,
                             const QString& manufacturer = QString(), const QString& description = QString())
{
    SerialComDeviceInfo port(vendorId, productId);
    port.setPort(name);
    port.setManufacturer(manufacturer);
    port.setDescription(description);
    return port;
}

} // namespace

TEST(SerialComDeviceInfoTest, PortNumberIsTheNumberAtTheEndOfTheName)
{
    const QList<QPair<QString, int>> cases = {
        {"COM3", 3},
        {"ttyACM0", 0},
        {"cu.usbmodem14101", 14101},
        {"ttyS", -1},
        {"", -1},
        {"ttyUSB40000", -1},
        {"ttyACM1x", -1},
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
        fakePort("ttyS0", 0, 0),
        fakePort("ttyACM0", 0x2341, BOARD_PRODUCT, "Arduino LLC", "Uno"),
        fakePort("ttyACM1", BOARD_VENDOR, BOARD_PRODUCT, "Nox Sensor Systems", "Lidora CDC"),
        fakePort("ttyUSB12", BOARD_VENDOR, 0x0001, "Nox Sensor Systems", "Lidora Debug"),
        fakePort("cu.usbmodem", BOARD_VENDOR, BOARD_PRODUCT, "Nox Sensor Systems", "Lidora CDC"),
        fakePort("COM3", BOARD_VENDOR, BOARD_PRODUCT, "Nox Sensor Systems", "Lidora CDC Second"),
    };
    const QList<QPair<SerialComDeviceInfo, QStringList>> cases = {
        {SerialComDeviceInfo(), {"ttyS0", "ttyACM0", "ttyACM1", "ttyUSB12", "COM3"}},
        {SerialComDeviceInfo(BOARD_VENDOR, BOARD_PRODUCT), {"ttyACM1", "COM3"}},
        {SerialComDeviceInfo(0, BOARD_PRODUCT), {"ttyACM0", "ttyACM1", "COM3"}},
        {fakePort("", 0, 0, "Sensor"), {"ttyACM1", "ttyUSB12", "COM3"}},
        {fakePort("", 0, 0, "sensor"), {}},
        {fakePort("", BOARD_VENDOR, 0, "", "Debug"), {"ttyUSB12"}},
        {fakePort("", BOARD_VENDOR, BOARD_PRODUCT, "Nox", "Second"), {"COM3"}},
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
    EXPECT_EQ(fakePort("COM7", 4, 5, "M", "D").toString(),
              "COM Device:  Manufacturer: M  Description: D  Port: COM7  Vendor ID: 4  Product ID: 5");
    // A placeholder in a device's own text stays as it is instead of taking the next field's value.
    EXPECT_EQ(fakePort("ttyACM0", BOARD_VENDOR, BOARD_PRODUCT, "100%1", "%2").toString(),
              "COM Device:  Manufacturer: 100%1  Description: %2  Port: ttyACM0  Vendor ID: 31292  Product "
              "ID: 3080");
}
