#include "Serial/windows/winserialbackend.h"
#include "Serial/serialcomdriver.h"

#include "support/capturedwarnings.h"
#include "support/fakewinserialapi.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace NoxCom::Serial;
using NoxCore::Communication::ComDriver;
using Completion = FakeWinFileApi::Completion;

namespace
{

const quint16 BOARD_VENDOR = 0x7A3C;
const quint16 BOARD_PRODUCT = 0x0C08;
const int TEST_TIMEOUT_MS = 200;
const quint32 MAXIMUM = 0xFFFFFFFFu;

QStringList namesOf(const QList<SerialComDeviceInfo>& ports)
{
    QStringList names;
    for (const SerialComDeviceInfo& port : ports)
        names << port.port();
    return names;
}

// The one port the driver's selection takes for the board's; an empty one when it takes none or several.
SerialComDeviceInfo onlyBoardIn(const QList<SerialComDeviceInfo>& ports)
{
    const SerialComDeviceInfo filter(BOARD_VENDOR, BOARD_PRODUCT);
    const QList<SerialComDeviceInfo> boards = SerialComDriver::selectDevices(ports, &filter);
    EXPECT_EQ(boards.size(), 1);
    return boards.size() == 1 ? boards[0] : SerialComDeviceInfo();
}

// The board's CDC port as Windows' own driver lists it, among other ports of the Ports class.
class WinSerialBackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        api.addPort({"COM3", "FTDIBUS\\COMPORT&VID_0403&PID_6001", "FTDI", "USB Serial Port"});
        api.addPort({"LPT1", "ACPI\\PNP0401", "(Standard port types)", "Printer Port"});
        api.addPort({"", "USB\\VID_7A3C&PID_0C08&MI_00", "Microsoft", "USB Serial Device"});
        api.addPort({"COM12", "USB\\VID_7A3C&PID_0C08&REV_0100&MI_00", "Microsoft", "USB Serial Device"});
        driver.setTimeout(TEST_TIMEOUT_MS);
    }

    void TearDown() override
    {
        driver.close();
        EXPECT_EQ(api.openHandles(), 0) << "every handle is closed again";
        EXPECT_EQ(api.unknownCloses, 0);
        EXPECT_EQ(api.pendingTransfers(), 0) << "no transfer is left to write into a buffer that is gone";
    }

    FakeWinFileApi::Device& board() { return api.device(FakeWinSerialApi::portPath("COM12")); }

    FakeWinSerialApi api;
    WinSerialBackend backend{api};
    SerialComDriver driver{SerialComDeviceInfo(BOARD_VENDOR, BOARD_PRODUCT), backend};
};

} // namespace

TEST(WinSerialBackend, ReadsTheIdsOfAHardwareId)
{
    const struct
    {
        const char* hardwareId;
        quint16 vendorId;
        quint16 productId;
    } cases[] = {
        {"USB\\VID_7A3C&PID_0C08&REV_0100&MI_00", 0x7A3C, 0x0C08},
        {"FTDIBUS\\COMPORT&VID_0403&PID_6001", 0x0403, 0x6001},
        {"usb\\vid_7a3c&pid_0c08", 0x7A3C, 0x0C08},
        {"ACPI\\PNP0501", 0, 0},
        {"USB\\VID_7A3&PID_0C08", 0, 0x0C08},
    };
    for (const auto& testCase : cases)
    {
        quint16 vendorId = 1;
        quint16 productId = 1;
        WinSerialBackend::idsFromHardwareId(testCase.hardwareId, &vendorId, &productId);
        EXPECT_EQ(vendorId, testCase.vendorId) << testCase.hardwareId;
        EXPECT_EQ(productId, testCase.productId) << testCase.hardwareId;
    }
}

TEST_F(WinSerialBackendTest, OpensTheBoardsPortAtItsLineAndSaysWhyAHeldPortDoesNotOpen)
{
    ASSERT_TRUE(driver.open());
    EXPECT_FALSE(driver.open());
    const FakeWinSerialApi::Settings& settings = api.settings("COM12");
    EXPECT_EQ(settings.line.baudRate, 19200u);
    EXPECT_EQ(settings.line.dataBits, 8);
    EXPECT_EQ(settings.line.parity, 0);
    EXPECT_EQ(settings.line.stopBits, 2);
    EXPECT_EQ(settings.inputBufferSize, quint32(ISerialBackend::READ_BUFFER_SIZE));
    EXPECT_EQ(settings.purges, 1) << "what waited from before is not taken for an answer";
    EXPECT_EQ(board().openFiles, 1);

    // A second driver is refused, also where the system lets a second opener of a COM port in (Wine).
    CapturedWarnings warnings;
    SerialComDriver second(SerialComDeviceInfo(BOARD_VENDOR, BOARD_PRODUCT), backend);
    api.enforcesSharing = false;
    EXPECT_FALSE(second.open());
    EXPECT_FALSE(second.open());
    EXPECT_EQ(board().opens, 1);
    // Windows refuses a COM port that another program holds with "access denied".
    driver.close();
    board().openError = FakeWinFileApi::ACCESS_DENIED;
    EXPECT_FALSE(second.open());
    EXPECT_EQ(
        warnings.list(),
        QStringList({"Cannot open serial port COM12: \\\\.\\COM12: another opener holds it. Another program "
                     "holds the port; close it there.",
                     "Cannot open serial port COM12: \\\\.\\COM12: CreateFile failed: Something failed. "
                     "(error 5). Another program holds the port; close it there."}));
    EXPECT_TRUE(second.open());
    second.close();

    // A port whose line cannot be set is not kept.
    api.failLine = true;
    EXPECT_FALSE(driver.open());
    EXPECT_EQ(board().openFiles, 0);
}

TEST_F(WinSerialBackendTest, TransfersWaitAtMostTheTimeOutAndATimeOutKeepsThePort)
{
    ASSERT_TRUE(driver.open());
    ASSERT_EQ(driver.writeBytes("start", 5), 5);
    ASSERT_EQ(board().written.size(), 1u);
    EXPECT_EQ(board().written[0], "start");

    char buffer[16] = {};
    board().input.push_back("ok");
    ASSERT_EQ(driver.readBytes(buffer, sizeof buffer), 2);
    EXPECT_EQ(QByteArray(buffer, 2), "ok");
    EXPECT_EQ(driver.readBytes(buffer, sizeof buffer), ComDriver::RECEIVE_FAILED);
    EXPECT_TRUE(driver.isOpen());
    // Without waiting, a read takes what is there, even nothing, and never blocks.
    driver.setWaitForReadyRead(false);
    EXPECT_EQ(driver.readBytes(buffer, sizeof buffer), 0);
    board().input.push_back("more");
    EXPECT_EQ(driver.readBytes(buffer, sizeof buffer), 4);
    EXPECT_EQ(api.waits, std::vector<quint32>(
                             {quint32(TEST_TIMEOUT_MS), quint32(TEST_TIMEOUT_MS), quint32(TEST_TIMEOUT_MS)}));
    const std::vector<IWinSerialApi::ReadTimeouts>& modes = api.settings("COM12").readTimeouts;
    ASSERT_EQ(modes.size(), 2u) << "the time-outs are set only when the kind of read changes";
    // A read that waits ends once the bytes pause, also on Wine, which keeps a read set to end with the
    // first byte waiting for a full buffer.
    EXPECT_EQ(std::vector<quint32>({modes[0].interval, modes[0].multiplier, modes[0].constant}),
              std::vector<quint32>({5, 0, 0}));
    EXPECT_EQ(std::vector<quint32>({modes[1].interval, modes[1].multiplier, modes[1].constant}),
              std::vector<quint32>({MAXIMUM, 0, 0}));

    // A line that arrives as the time-out cancels the read ends it as cancelled, with its bytes counted:
    // they are kept.
    driver.setWaitForReadyRead(true);
    board().arrivesDuringCancel = "late line";
    board().cancelledReadCountsItsBytes = true;
    ASSERT_EQ(driver.readBytes(buffer, sizeof buffer), 9);
    EXPECT_EQ(QByteArray(buffer, 9), "late line");

    // A write that does not leave in time is dropped, and the port stays.
    board().writes = Completion::Never;
    EXPECT_EQ(driver.writeBytes("stuck", 5), ComDriver::TRANSMIT_FAILED);
    EXPECT_TRUE(driver.isOpen());
    EXPECT_EQ(api.settings("COM12").outputPurges, 1);
}

TEST_F(WinSerialBackendTest, AnUnpluggedBoardFailsTheWaitingReadAndThePortIsLetGo)
{
    ASSERT_TRUE(driver.open());
    CapturedWarnings warnings;
    board().unplugsDuringWait = true;
    char buffer[4] = {};
    EXPECT_EQ(driver.readBytes(buffer, sizeof buffer), ComDriver::RECEIVE_FAILED);
    EXPECT_FALSE(driver.isOpen());
    EXPECT_EQ(driver.writeBytes("abc", 3), ComDriver::TRANSMIT_FAILED);
    EXPECT_EQ(warnings.list(),
              QStringList({"Serial port \\\\.\\COM12: GetOverlappedResult failed: The device "
                           "is not connected. (error 1167)"}));
}

// Wine lists nothing in the Ports class. Its COM ports lead to Linux terminals, and the USB device above a
// terminal's interface in sysfs carries the ids and texts.
TEST(WinSerialBackendOnWine, FindsTheBoardsPortThroughTheTerminalItLeadsTo)
{
    const QString usb = "/sys/devices/platform/dummy_hcd.0/usb1/1-1";
    FakeWinSerialApi api;
    api.registered = QStringList({"COM6", "COM1", "COM5", "COM2"});
    // COM1 is the PC's own port, whose device is no USB device; COM6's terminal has gone.
    api.realPaths = {{"\\\\.\\COM1", "/dev/ttyS0"},
                     {"\\\\.\\COM2", "/dev/ttyS1"},
                     {"\\\\.\\COM5", "/dev/ttyACM0"},
                     {"/sys/class/tty/ttyS0/device", "/sys/devices/pnp0/00:05"},
                     {"/sys/class/tty/ttyACM0/device", usb + "/1-1:1.0"}};
    api.unixFiles = {{usb + "/idVendor", "7a3c"},
                     {usb + "/idProduct", "0c08"},
                     {usb + "/manufacturer", "Nox Sensor Systems"},
                     {usb + "/product", "Lidora 1D Evaluation Board"}};
    api.unixFolders = {{"/sys/class/tty", {"tty0", "ttyS0", "ttyS1", "ttyACM0"}}};
    api.addDevice(FakeWinSerialApi::portPath("COM5"));
    WinSerialBackend backend(api);

    // Windows always has its ports in the class: there the fallback is never taken.
    EXPECT_TRUE(backend.presentPorts(BOARD_VENDOR).isEmpty());
    EXPECT_EQ(api.wineCalls, 0);

    // Every port asked for: each one's terminal is looked at.
    api.wine = true;
    const QList<SerialComDeviceInfo> all = backend.presentPorts(0);
    EXPECT_EQ(namesOf(all), QStringList({"COM1", "COM2", "COM5"}));
    EXPECT_EQ(all[0].vendorId(), 0);
    EXPECT_EQ(api.openSets(), 0);

    // A vendor's port is a USB terminal's: the PC's own ports, one of which may be the machine's console,
    // are not opened to find it.
    api.resolvedPaths.clear();
    const SerialComDeviceInfo board = onlyBoardIn(backend.presentPorts(BOARD_VENDOR));
    EXPECT_EQ(board.port(), "COM5");
    EXPECT_EQ(board.manufacturer(), "Nox Sensor Systems");
    EXPECT_EQ(board.description(), "Lidora 1D Evaluation Board");
    EXPECT_EQ(api.resolvedPaths,
              QStringList({"\\\\.\\COM6", "\\\\.\\COM5", "/sys/class/tty/ttyACM0/device"}));
    api.unixFolders.clear();
    api.resolvedPaths.clear();
    EXPECT_TRUE(backend.presentPorts(BOARD_VENDOR).isEmpty());
    EXPECT_TRUE(api.resolvedPaths.isEmpty());
    api.unixFolders = {{"/sys/class/tty", {"ttyACM0"}}};

    SerialComDriver driver(SerialComDeviceInfo(BOARD_VENDOR, BOARD_PRODUCT), backend);
    EXPECT_TRUE(driver.open());
    driver.close();
    EXPECT_EQ(api.openHandles(), 0);
}
