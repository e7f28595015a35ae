#include "HidDevice/hiddevice.h"

#include "support/assertionpattern.h"
#include "support/fakehidrawtree.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <cerrno>

using namespace NoxHid;

namespace
{

const quint16 VENDOR = 0x7A3C;
const quint16 PRODUCT = 0x0C08;

HidDeviceInfo infoWithPath(const std::string& path)
{
    HidDeviceInfo info(VENDOR, PRODUCT);
    info.setPath(path.c_str());
    return info;
}

QStringList pathsOf(const QList<HidDeviceInfo>& devices)
{
    QStringList paths;
    for (const HidDeviceInfo& device : devices)
        paths << device.path();
    return paths;
}

// A board with its control and module interfaces, another product of the same vendor and a device of
// another vendor, on nodes out of name order.
class HidDeviceTest : public ::testing::Test
{
protected:
    FakeHidrawTree tree;
    const std::string itsMouse = tree.addInterface(0, {0x046D, 0xC52B, 0});
    const std::string itsControl = tree.addInterface(2);
    const std::string itsModule = tree.addInterface(3, {VENDOR, PRODUCT, 4});
    const std::string itsOtherProduct = tree.addInterface(10, {VENDOR, 0x0D00, 1});
};

} // namespace

TEST_F(HidDeviceTest, ListsInterfacesInNodeOrderByVendorProductAndPathFilter)
{
    EXPECT_EQ(itsControl, tree.devRoot().toStdString() + "/hidraw2#vid_7a3c&pid_0c08&mi_03");
    EXPECT_EQ(pathsOf(HidDevice::listDevices()), QStringList({itsMouse.c_str(), itsControl.c_str(),
                                                              itsModule.c_str(), itsOtherProduct.c_str()}));
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR)),
              QStringList({itsControl.c_str(), itsModule.c_str(), itsOtherProduct.c_str()}));
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT)),
              QStringList({itsControl.c_str(), itsModule.c_str()}));
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT, "mi_03")), QStringList({itsControl.c_str()}));
    EXPECT_TRUE(HidDevice::listDevices(VENDOR, PRODUCT, "MI_03").isEmpty());
    EXPECT_EQ(HidDevice::listDevices(0x046D).value(0).productId(), 0xC52B);

    char path[HidDevice::HID_PATH_SIZE];
    ASSERT_TRUE(HidDevice::getDevicePath(3, path));
    EXPECT_EQ(std::string(path), itsOtherProduct);
    EXPECT_FALSE(HidDevice::getDevicePath(4, path));

    // No more than 64 interfaces are seen.
    for (int node = 11; node < 80; ++node)
        tree.addInterface(node);
    EXPECT_TRUE(HidDevice::getDevicePath(63, path));
    EXPECT_FALSE(HidDevice::getDevicePath(64, path));
    EXPECT_EQ(HidDevice::listDevices().size(), 64);
}

TEST_F(HidDeviceTest, FindsTheInterfaceNumberInHidPhysWhenTheUsbInterfaceHasNone)
{
    tree.addInterface(5, {VENDOR, PRODUCT, 4, /*hasInterfaceAttribute=*/false});
    tree.addInterface(6);
    tree.setUevent(6, "HID_ID=0003:00007A3C:00000C08\nHID_PHYS=00:1a:7d:da:71:13\n");
    tree.addInterface(7);
    tree.setUevent(7, "HID_ID=0003:7A3C:0C08\n");
    // An interface that lost its USB parent and its HID_PHYS carries no interface number at all.
    const std::string bluetooth = tree.addInterface(8, {VENDOR, PRODUCT, -1, false});
    const QString devRoot = tree.devRoot();
    EXPECT_EQ(bluetooth, devRoot.toStdString() + "/hidraw8#vid_7a3c&pid_0c08");
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT)).mid(2),
              QStringList({devRoot + "/hidraw5#vid_7a3c&pid_0c08&mi_04",
                           devRoot + "/hidraw6#vid_7a3c&pid_0c08&mi_03",
                           devRoot + "/hidraw7#vid_7a3c&pid_0c08&mi_03", bluetooth.c_str()}));
}

TEST_F(HidDeviceTest, OpensExclusively)
{
    const HidDeviceInfo control = infoWithPath(itsControl);
    HidDevice first;
    HidDevice second;
    ASSERT_EQ(first.open(&control), HID_SUCCESS);
    EXPECT_EQ(second.open(&control), HID_NOT_OPEN);
    EXPECT_FALSE(second.isOpen());
    // A held interface is not listed: the listing opens every candidate.
    EXPECT_TRUE(HidDevice::listDevices(VENDOR, PRODUCT, "mi_03").isEmpty());
    // Opening by ids passes over the held interface to the next one.
    const HidDeviceInfo byIds(VENDOR, PRODUCT);
    ASSERT_EQ(second.open(&byIds), HID_SUCCESS);
    EXPECT_EQ(second.deviceInfo().path(), itsModule);
    second.close();

    EXPECT_EQ(first.close(), HID_SUCCESS);
    EXPECT_EQ(second.open(&control), HID_SUCCESS);
}

TEST_F(HidDeviceTest, OpenAndCloseReportTheirResults)
{
    HidDevice device;
    EXPECT_EQ(device.open(nullptr), HID_NOT_OPEN);
    EXPECT_EQ(device.close(), HID_NOT_OPEN);

    const HidDeviceInfo byIds(VENDOR, PRODUCT);
    ASSERT_EQ(device.open(&byIds), HID_SUCCESS);
    EXPECT_EQ(device.deviceInfo().path(), itsControl);
    EXPECT_EQ(device.inputReportLength(), 65);
    EXPECT_EQ(device.outputReportLength(), 65);
    EXPECT_EQ(device.open(&byIds), HID_ALREADY_OPEN);
    EXPECT_EQ(device.close(), HID_SUCCESS);
    EXPECT_EQ(device.close(), HID_NOT_OPEN);

    EXPECT_TRUE(device.deviceInfo().isPathEmpty());
    EXPECT_EQ(device.inputReportLength(), 0);
    EXPECT_EQ(device.outputReportLength(), 0);

    const HidDeviceInfo absent(VENDOR, 0x0BAD);
    EXPECT_EQ(device.open(&absent), HID_NOT_OPEN);
    // A path of another vendor's interface is refused by its ids.
    const HidDeviceInfo mouseAsBoard = infoWithPath(itsMouse);
    EXPECT_EQ(device.open(&mouseAsBoard), HID_NOT_OPEN);
    EXPECT_FALSE(device.isOpen());
}

TEST(HidDevice, RefusesInterfacesItCannotUse)
{
    const struct
    {
        const char* name;
        QByteArray uevent;
        QByteArray descriptor;
        bool listed;
    } cases[] = {
        // Node numbers come back after an unplug: the listed path must not open another device.
        {"node now belongs to another device", "HID_ID=0003:00007A3C:00000D00\nHID_PHYS=usb-1/input3\n",
         vendorReportDescriptor(64, 64), false},
        {"uevent without ids", "HID_NAME=Lidora\nHID_PHYS=usb-1/input3\n", vendorReportDescriptor(64, 64),
         false},
        // Which descriptors parse is pinned by the descriptor's own test.
        {"empty report descriptor", QByteArray(), QByteArray(), false},
        // Listing asks for ids only, so an interface without output reports is still listed.
        {"no output report", QByteArray(), vendorReportDescriptor(64, 0), true},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.name);
        FakeHidrawTree tree;
        const std::string path = tree.addInterface(2);
        if (!testCase.uevent.isEmpty())
            tree.setUevent(2, testCase.uevent);
        tree.setReportDescriptor(2, testCase.descriptor);
        HidDevice device;
        const HidDeviceInfo info = infoWithPath(path);
        EXPECT_EQ(device.open(&info), HID_NOT_OPEN);
        EXPECT_FALSE(device.isOpen());
        EXPECT_EQ(HidDevice::listDevices(VENDOR, PRODUCT).size(), testCase.listed ? 1 : 0);
    }
}

TEST_F(HidDeviceTest, SaysOnceWhichInterfaceItMayNotOpen)
{
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext&, const QString& text)
        {
            if (type == QtWarningMsg)
                warnings << text;
        });
    tree.failOpen(2, EACCES);
    // Another maker's device on an interface 3 is passed by on the ids in its path: never opened, so
    // never warned about, whichever listing or open runs.
    FakeHidInterface keyboard;
    keyboard.vendorId = 0x046D;
    tree.addInterface(4, keyboard);
    tree.failOpen(4, EACCES);
    HidDevice device;
    const HidDeviceInfo control = infoWithPath(itsControl);
    EXPECT_EQ(device.open(&control), HID_NOT_OPEN);
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT)), QStringList({itsModule.c_str()}));
    EXPECT_TRUE(HidDevice::listDevices(VENDOR, PRODUCT, "mi_03").isEmpty());
    tree.failOpen(3, EBUSY);
    HidDevice::listDevices(VENDOR, PRODUCT);
    qInstallMessageHandler(previous);

    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(
        QString("Cannot open HID interface %1: Permission denied.").arg(itsControl.c_str())))
        << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("70-lidora.rules"));
}

TEST(HidDeviceInfo, CopiesTheStringsItIsGivenAndResetClearsThem)
{
    HidDeviceInfo info(VENDOR, PRODUCT);
    std::string path = "/dev/hidraw2#vid_7a3c&pid_0c08&mi_03";
    info.setPath(path.c_str());
    info.setSerialNumber(L"LD-0042");
    path[0] = 'X';
    const HidDeviceInfo copy(info);
    info.set(1, 2);
    EXPECT_EQ(std::string(copy.path()), "/dev/hidraw2#vid_7a3c&pid_0c08&mi_03");
    EXPECT_EQ(std::wstring(copy.serialNumber()), L"LD-0042");
    EXPECT_TRUE(info.isPathEmpty());
    EXPECT_TRUE(info.isSerialNumberEmpty());
}

TEST(HidDeviceDeathTest, TimeoutsOutOfRangeAreProgrammingErrors)
{
    const struct
    {
        unsigned int readTimeout;
        unsigned int writeTimeout;
        const char* expression;
        const char* message;
    } cases[] = {
        {0, 10, "readTimeout >= HID_TIMEOUT_MIN",
         "readTimeout must be greater or equal the minimum timeout of 1ms"},
        {10, 0, "writeTimeout >= HID_TIMEOUT_MIN",
         "writeTimeout must be greater or equal the minimum timeout of 1ms"},
        {0x80000000, 10, "(readTimeout <= HID_TIMEOUT_MAX) || (readTimeout == HID_TIMEOUT_INFINITE)",
         "readTimeout must be less or equal the maximum timeout or equal the infinite timeout"},
        {10, 0x80000000, "(writeTimeout <= HID_TIMEOUT_MAX) || (writeTimeout == HID_TIMEOUT_INFINITE)",
         "writeTimeout must be less or equal the maximum timeout or equal the infinite timeout"},
    };
    HidDevice device;
    for (const auto& testCase : cases)
        EXPECT_DEATH(device.setTimeouts(testCase.readTimeout, testCase.writeTimeout),
                     assertionPattern("hiddevicebase", testCase.expression, testCase.message))
            << testCase.expression;
    device.setTimeouts(HID_TIMEOUT_INFINITE, HID_TIMEOUT_MAX); // both limits are allowed

    wchar_t text[8];
    EXPECT_FALSE(device.getProductString(text, 8));
}
