#include "HidDevice/hiddevice.h"
#include "HidDevice/linux/hidrawconnection.h"

#include "support/fakehidrawtree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <vector>

using namespace NoxHid;

namespace
{

const unsigned int REPORT_LENGTH = 65;
const unsigned int TEST_TIMEOUT_MS = 100;

using Bytes = std::vector<unsigned char>;

Bytes counting(unsigned int size, unsigned char first = 1)
{
    Bytes bytes(size);
    for (unsigned int index = 0; index < size; ++index)
        bytes[index] = static_cast<unsigned char>(first + index);
    return bytes;
}

qint64 millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

// The board's control interface on a socket pair: the test plays the board on its end.
class HidDeviceTransferTest : public ::testing::Test
{
protected:
    void SetUp() override { open(FakeHidInterface()); }

    void open(const FakeHidInterface& interface)
    {
        const std::string path = tree.addInterface(2, interface);
        board = tree.attachBoard(2);
        HidDeviceInfo info(interface.vendorId, interface.productId);
        info.setPath(path.c_str());
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

    FakeHidrawTree tree;
    HidDevice device;
    int board = -1;
};

} // namespace

TEST_F(HidDeviceTransferTest, ReadTakesWhatArrivesWithoutItsReportIdOrWritingPastTheBuffer)
{
    // hidraw hands out the 64 bytes of an unnumbered report; the device layer counts the report id as well.
    const struct
    {
        const char* name;
        unsigned int reportSize;
        unsigned int bytesRead;
    } cases[] = {
        {"whole report", 64, 64},
        {"short report", 10, 10},
        {"empty report", 0, 0},
        {"report longer than the descriptor says", 300, 64},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.name);
        boardSends(counting(testCase.reportSize));
        // Exactly the report length, so that AddressSanitizer sees a write past it.
        Bytes buffer(REPORT_LENGTH, 0xEE);
        unsigned int bytesRead = 99;
        EXPECT_EQ(device.read(buffer.data(), REPORT_LENGTH, &bytesRead), HID_SUCCESS);
        EXPECT_EQ(bytesRead, testCase.bytesRead);
        Bytes expected = counting(testCase.bytesRead);
        expected.resize(REPORT_LENGTH, 0);
        EXPECT_EQ(buffer, expected);
    }
}

TEST_F(HidDeviceTransferTest, ReadRefusesABufferOneByteShortAndLeavesItUntouched)
{
    boardSends(counting(64));
    Bytes buffer(REPORT_LENGTH - 1, 0xAA);
    unsigned int bytesRead = 99;
    EXPECT_EQ(device.read(buffer.data(), REPORT_LENGTH - 1, &bytesRead), HID_WRONG_BUFFER_SIZE);
    EXPECT_EQ(buffer, Bytes(REPORT_LENGTH - 1, 0xAA));
    EXPECT_EQ(bytesRead, 99u);
    // The report is still there for a buffer that fits.
    Bytes fitting(REPORT_LENGTH + 10);
    EXPECT_EQ(device.read(fitting.data(), REPORT_LENGTH + 10, &bytesRead), HID_SUCCESS);
    EXPECT_EQ(bytesRead, 64u);
}

TEST_F(HidDeviceTransferTest, ReadTimesOutWhenNothingArrivesAndWriteWhenTheBoardTakesNoMore)
{
    Bytes buffer(REPORT_LENGTH, 0xEE);
    unsigned int bytesRead = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.read(buffer.data(), REPORT_LENGTH, &bytesRead), HID_TIMED_OUT);
    const qint64 elapsed = millisecondsSince(start);
    EXPECT_GE(elapsed, qint64(TEST_TIMEOUT_MS) - 5);
    EXPECT_LT(elapsed, qint64(TEST_TIMEOUT_MS) + 1000);
    EXPECT_EQ(bytesRead, 0u);
    EXPECT_EQ(buffer, Bytes(REPORT_LENGTH, 0));

    Bytes report = counting(REPORT_LENGTH, 0);
    ASSERT_EQ(device.write(report.data(), REPORT_LENGTH), HID_SUCCESS);
    EXPECT_EQ(boardReceives(), report) << "written unchanged";
    report.push_back(0xCB);
    EXPECT_EQ(device.write(report.data(), REPORT_LENGTH + 1), HID_WRONG_BUFFER_SIZE);
    EXPECT_TRUE(boardReceives().empty());

    int result = HID_SUCCESS;
    for (int sent = 0; sent < 10000 && result == HID_SUCCESS; ++sent)
        result = device.write(report.data(), REPORT_LENGTH);
    EXPECT_EQ(result, HID_TIMED_OUT);
}

TEST_F(HidDeviceTransferTest, NumberedReportsKeepTheirOwnReportId)
{
    FakeHidInterface numbered;
    numbered.reportDescriptor = vendorReportDescriptor(8, 8, 5);
    tree.unplug(2);
    open(numbered);
    EXPECT_EQ(device.inputReportLength(), 9);

    Bytes report = counting(8);
    report.insert(report.begin(), 5);
    boardSends(report);
    Bytes buffer(9);
    unsigned int bytesRead = 0;
    ASSERT_EQ(device.read(buffer.data(), 9, &bytesRead), HID_SUCCESS);
    EXPECT_EQ(bytesRead, 8u);
    EXPECT_EQ(buffer, Bytes({1, 2, 3, 4, 5, 6, 7, 8, 0}));
}

TEST_F(HidDeviceTransferTest, AnUnpluggedDeviceFailsTransfersAndThePresenceCheck)
{
    wchar_t name[255];
    ASSERT_TRUE(device.getProductString(name, 255));
    EXPECT_EQ(std::wstring(name), L"Nox Sensor Systems Lidora Board");
    wchar_t shortName[4];
    ASSERT_TRUE(device.getProductString(shortName, 4));
    EXPECT_EQ(std::wstring(shortName), L"Nox");

    // A report that arrived before the unplug is still delivered; the read after it fails.
    boardSends(counting(64));
    tree.unplug(2);
    Bytes buffer(REPORT_LENGTH);
    unsigned int bytesRead = 0;
    EXPECT_EQ(device.read(buffer.data(), REPORT_LENGTH, &bytesRead), HID_SUCCESS);
    EXPECT_EQ(device.read(buffer.data(), REPORT_LENGTH, &bytesRead), HID_TRANSFER_FAILED);
    EXPECT_EQ(device.write(buffer.data(), REPORT_LENGTH), HID_TRANSFER_FAILED);
    EXPECT_FALSE(device.getProductString(name, 255));

    EXPECT_EQ(device.close(), HID_SUCCESS);
    EXPECT_EQ(device.read(buffer.data(), REPORT_LENGTH, &bytesRead), HID_NOT_OPEN);
    EXPECT_EQ(device.write(buffer.data(), REPORT_LENGTH), HID_NOT_OPEN);
}

TEST_F(HidDeviceTransferTest, ADeviceThatVanishesDuringAReadEndsItBeforeTheTimeout)
{
    device.setTimeouts(10000, 10000);
    std::thread unplug(
        [this]
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ::shutdown(board, SHUT_RDWR);
        });
    Bytes buffer(REPORT_LENGTH);
    unsigned int bytesRead = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device.read(buffer.data(), REPORT_LENGTH, &bytesRead), HID_TRANSFER_FAILED);
    EXPECT_LT(millisecondsSince(start), 5000);
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
