#include "HidDevice/hiddevice.h"
#include "HidDevice/linux/hidrawconnection.h"

#include "support/capturedwarnings.h"
#include "support/fakehidrawtree.h"
#include "support/hiddevicepaths.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cerrno>
#include <chrono>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <vector>

using namespace NoxHid;

namespace
{

const quint16 VENDOR = 0x7A3C;
const quint16 PRODUCT = 0x0C08;
const unsigned int REPORT_LENGTH = 65;
const unsigned int TEST_TIMEOUT_MS = 100;

using Bytes = std::vector<unsigned char>;

HidDeviceInfo infoWithPath(const std::string& path)
{
    HidDeviceInfo info(VENDOR, PRODUCT);
    info.setPath(path.c_str());
    return info;
}

Bytes counting(unsigned int size)
{
    Bytes bytes(size);
    for (unsigned int index = 0; index < size; ++index)
        bytes[index] = static_cast<unsigned char>(1 + index);
    return bytes;
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

// The board's control interface on a socket pair: the test plays the board on its end.
class HidDeviceTransferTest : public ::testing::Test
{
protected:
    void SetUp() override { open(2, FakeHidInterface()); }

    void open(int node, const FakeHidInterface& interface)
    {
        const HidDeviceInfo info = infoWithPath(tree.addInterface(node, interface));
        board = tree.attachBoard(node);
        device.close();
        ASSERT_EQ(device.open(&info), HID_SUCCESS);
        device.setTimeouts(TEST_TIMEOUT_MS, TEST_TIMEOUT_MS);
    }

    void boardSends(const Bytes& report)
    {
        ASSERT_EQ(::send(board, report.data(), report.size(), 0), ssize_t(report.size()));
    }

    // The next report the board received; empty when none is waiting.
    Bytes boardReceives()
    {
        Bytes report(1024);
        const ssize_t size = ::recv(board, report.data(), report.size(), MSG_DONTWAIT);
        report.resize(size < 0 ? 0 : size_t(size));
        return report;
    }

    // One read into a fresh buffer of size bytes, by default exactly the report length, so that
    // AddressSanitizer sees a write past it.
    int read(unsigned int size = REPORT_LENGTH)
    {
        buffer.assign(size, 0xEE);
        bytesRead = 99;
        return device.read(buffer.data(), size, &bytesRead);
    }

    FakeHidrawTree tree;
    HidDevice device;
    int board = -1;
    Bytes buffer;
    unsigned int bytesRead = 99;
};

} // namespace

TEST_F(HidDeviceTest, ListsInterfacesInNodeOrderByVendorProductAndPathFilter)
{
    // The interface number comes from the USB interface, else from the end of HID_PHYS; an interface that
    // lost its USB parent and has no number in HID_PHYS has none.
    tree.addInterface(5, {VENDOR, PRODUCT, 4, /*hasInterfaceAttribute=*/false});
    FakeHidInterface physWithoutNumber;
    physWithoutNumber.uevent = "HID_ID=0003:00007A3C:00000C08\nHID_PHYS=00:1a:7d:da:71:13\n";
    tree.addInterface(6, physWithoutNumber);
    tree.addInterface(8, {VENDOR, PRODUCT, -1, false});
    const QString board = tree.devRoot() + "/hidraw%1#vid_7a3c&pid_0c08";
    const QStringList boardInterfaces = {board.arg(2) + "&mi_03", board.arg(3) + "&mi_04",
                                         board.arg(5) + "&mi_04", board.arg(6) + "&mi_03", board.arg(8)};
    const QStringList otherProduct = {itsOtherProduct.c_str()};
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT)), boardInterfaces);
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR)), boardInterfaces + otherProduct);
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT, "mi_03")),
              QStringList({boardInterfaces[0], boardInterfaces[3]}));

    char path[HidDevice::HID_PATH_SIZE];
    ASSERT_TRUE(HidDevice::getDevicePath(6, path));
    EXPECT_EQ(std::string(path), itsOtherProduct);
}

TEST_F(HidDeviceTest, OpensOneInterfaceExclusivelyAndReportsTheResults)
{
    HidDevice first;
    HidDevice second;
    // A path of another vendor's interface is refused by its ids.
    const HidDeviceInfo mouseAsBoard = infoWithPath(itsMouse);
    EXPECT_EQ(first.open(nullptr), HID_NOT_OPEN);
    EXPECT_EQ(first.open(&mouseAsBoard), HID_NOT_OPEN);

    const HidDeviceInfo byIds(VENDOR, PRODUCT);
    ASSERT_EQ(first.open(&byIds), HID_SUCCESS);
    EXPECT_EQ(first.deviceInfo().path(), itsControl);
    EXPECT_EQ(first.open(&byIds), HID_ALREADY_OPEN);
    const HidDeviceInfo control = infoWithPath(itsControl);
    // Passing over a held interface to the next is checked on the Windows back end, against the same layer.
    EXPECT_EQ(second.open(&control), HID_NOT_OPEN);

    EXPECT_EQ(first.close(), HID_SUCCESS);
    EXPECT_EQ(first.close(), HID_NOT_OPEN);
    EXPECT_EQ(first.open(&control), HID_SUCCESS) << "closing gives the interface up";
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
        const HidDeviceInfo info = infoWithPath(
            tree.addInterface(2, {VENDOR, PRODUCT, 3, true, "Lidora", testCase.descriptor, testCase.uevent}));
        HidDevice device;
        EXPECT_EQ(device.open(&info), HID_NOT_OPEN);
        EXPECT_EQ(HidDevice::listDevices(VENDOR, PRODUCT).size(), testCase.listed ? 1 : 0);
    }
}

TEST_F(HidDeviceTest, SaysOnceWhichInterfaceItMayNotOpen)
{
    CapturedWarnings warnings;
    tree.failOpen(2, EACCES);
    // Another maker's device on an interface 3 is passed by on the ids in its path: never opened, so
    // never warned about, whichever listing or open runs.
    tree.addInterface(4, {0x046D, PRODUCT, 3});
    tree.failOpen(4, EACCES);
    HidDevice device;
    const HidDeviceInfo control = infoWithPath(itsControl);
    EXPECT_EQ(device.open(&control), HID_NOT_OPEN);
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT)), QStringList({itsModule.c_str()}));
    EXPECT_TRUE(HidDevice::listDevices(VENDOR, PRODUCT, "mi_03").isEmpty());
    tree.failOpen(3, EBUSY);
    HidDevice::listDevices(VENDOR, PRODUCT);

    ASSERT_EQ(warnings.list().size(), 1);
    EXPECT_TRUE(warnings.list()[0].startsWith(
        QString("Cannot open HID interface %1: Permission denied.").arg(itsControl.c_str())))
        << warnings.list()[0].toStdString();
    EXPECT_TRUE(warnings.list()[0].contains("70-lidora.rules"));
}

TEST_F(HidDeviceTransferTest, ReadTakesWhatArrivesWithoutItsReportIdOrWritingPastTheBuffer)
{
    // A buffer one byte short is refused and left untouched; the report stays for a buffer that fits.
    boardSends(counting(64));
    EXPECT_EQ(read(REPORT_LENGTH - 1), HID_WRONG_BUFFER_SIZE);
    EXPECT_EQ(buffer, Bytes(REPORT_LENGTH - 1, 0xEE));
    EXPECT_EQ(bytesRead, 99u);
    EXPECT_EQ(read(REPORT_LENGTH + 10), HID_SUCCESS);
    EXPECT_EQ(bytesRead, 64u);

    // hidraw hands out the 64 bytes of an unnumbered report, and a numbered one with its id byte in front;
    // the device layer counts the report id as well and delivers the data alone.
    const struct
    {
        const char* name;
        unsigned char reportId;
        unsigned int reportSize;
        unsigned int bytesRead;
    } cases[] = {
        {"short report", 0, 10, 10},
        {"empty report", 0, 0, 0},
        {"report longer than the descriptor says", 0, 300, 64},
        {"numbered report", 5, 64, 64},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.name);
        Bytes report = counting(testCase.reportSize);
        if (testCase.reportId != 0)
        {
            open(5,
                 {VENDOR, PRODUCT, 3, true, "Numbered", vendorReportDescriptor(64, 64, testCase.reportId)});
            report.insert(report.begin(), testCase.reportId);
        }
        boardSends(report);
        EXPECT_EQ(read(), HID_SUCCESS);
        EXPECT_EQ(bytesRead, testCase.bytesRead);
        Bytes expected = counting(testCase.bytesRead);
        expected.resize(REPORT_LENGTH, 0);
        EXPECT_EQ(buffer, expected);
    }
}

TEST_F(HidDeviceTransferTest, TransfersEndAtTheirTimeOutsOrWhenTheDeviceVanishes)
{
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(read(), HID_TIMED_OUT);
    EXPECT_GE(timer.elapsed(), qint64(TEST_TIMEOUT_MS) - 5);
    EXPECT_LT(timer.elapsed(), qint64(TEST_TIMEOUT_MS) + 1000);

    Bytes report = counting(REPORT_LENGTH);
    ASSERT_EQ(device.write(report.data(), REPORT_LENGTH), HID_SUCCESS);
    EXPECT_EQ(boardReceives(), report) << "written unchanged";
    report.push_back(0xCB);
    EXPECT_EQ(device.write(report.data(), REPORT_LENGTH + 1), HID_WRONG_BUFFER_SIZE);
    EXPECT_TRUE(boardReceives().empty());

    int result = HID_SUCCESS;
    for (int sent = 0; sent < 10000 && result == HID_SUCCESS; ++sent)
        result = device.write(report.data(), REPORT_LENGTH);
    EXPECT_EQ(result, HID_TIMED_OUT);

    // A device that vanishes during a read ends it at once.
    device.setTimeouts(10000, 10000);
    std::thread unplug(
        [this]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::shutdown(board, SHUT_RDWR);
        });
    timer.restart();
    EXPECT_EQ(read(), HID_TRANSFER_FAILED);
    EXPECT_LT(timer.elapsed(), 5000);
    unplug.join();
}

TEST(HidrawConnection, WritesWithoutWaitingForTheNodeToSayItIsWritable)
{
    // hidraw before Linux 5.5 never reports POLLOUT, yet takes every report at once. An eventfd at its
    // highest count does the same with a zero write.
    const int node = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const quint64 highestCount = 0xFFFFFFFFFFFFFFFEull;
    ASSERT_EQ(::write(node, &highestCount, sizeof highestCount), ssize_t(sizeof highestCount));
    HidrawConnection connection(node, 0x7A3C, 0x0C08, HidReportDescriptor(), "eventfd");
    const unsigned char report[sizeof highestCount] = {};
    EXPECT_EQ(connection.write(report, sizeof report, 1000), IHidConnection::Transfer::Done);
}
