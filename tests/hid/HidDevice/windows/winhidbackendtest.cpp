#include "HidDevice/windows/winhidbackend.h"
#include "HidDevice/hidbackend.h"
#include "HidDevice/hiddevice.h"
#include "Tools/windows/overlappedfile.h"

#include "support/capturedwarnings.h"
#include "support/fakewinhidapi.h"
#include "support/hiddevicepaths.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <vector>

using namespace NoxHid;
using NoxCore::Tools::OverlappedFile;
using Completion = FakeWinFileApi::Completion;

namespace
{

const quint16 VENDOR = 0x7A3C;
const quint16 PRODUCT = 0x0C08;
const unsigned int REPORT_LENGTH = 65;
const unsigned int TEST_TIMEOUT_MS = 1500;

const std::string CONTROL =
    "\\\\?\\hid#vid_7a3c&pid_0c08&mi_03#8&1f2a3b4c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::string MODULE =
    "\\\\?\\hid#vid_7a3c&pid_0c08&mi_04#8&2b3c4d5e&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::string MOUSE =
    "\\\\?\\hid#vid_046d&pid_c52b&mi_00#7&aa&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
// Wine lists a device of ids 0000:0000 for the mouse of the machine it runs on, under a path that names no
// ids.
const std::string WINE_MOUSE =
    "\\\\?\\hid#wine_mouse#1&2d595ca7&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// The board's interfaces as the system describes them.
const FakeWinHidApi::Interface BOARD = {VENDOR, PRODUCT};

QByteArray report(char first, unsigned int size = REPORT_LENGTH)
{
    QByteArray bytes(int(size), '\0');
    for (int index = 1; index < bytes.size(); ++index)
        bytes[index] = char(first + index);
    return bytes;
}

// HidDevice on the Windows back end, with the system's calls played by the fake.
class WinHidBackendTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        api.addInterface(MOUSE, {0x046D, 0xC52B});
        api.addInterface(WINE_MOUSE, {});
        api.addInterface(CONTROL, BOARD);
        api.addInterface(MODULE, BOARD);
        itsPrevious = HidBackend::install(&backend);
    }

    void TearDown() override
    {
        device.close();
        HidBackend::install(itsPrevious);
        EXPECT_EQ(api.openHandles(), 0) << "every handle is closed again";
        EXPECT_EQ(api.unknownCloses, 0);
        EXPECT_EQ(api.pendingTransfers(), 0) << "no transfer is left to write into a buffer that is gone";
        EXPECT_EQ(api.outstandingPreparsedData(), 0);
    }

    void openControl()
    {
        HidDeviceInfo info(VENDOR, PRODUCT);
        info.setPath(CONTROL.c_str());
        ASSERT_EQ(device.open(&info), HID_SUCCESS);
        device.setTimeouts(TEST_TIMEOUT_MS, TEST_TIMEOUT_MS);
    }

    int read()
    {
        buffer.assign(REPORT_LENGTH, 0xEE);
        bytesRead = 99;
        return device.read(buffer.data(), REPORT_LENGTH, &bytesRead);
    }

    QByteArray received() const
    {
        return QByteArray(reinterpret_cast<const char*>(buffer.data()), int(bytesRead));
    }

    FakeWinHidApi api;
    WinHidBackend backend{api};
    HidDevice device;
    std::vector<unsigned char> buffer;
    unsigned int bytesRead = 99;

private:
    IHidBackend* itsPrevious = nullptr;
};

} // namespace

TEST_F(WinHidBackendTest, ListsTheBoardsInterfacesInSetupApiOrderAndOpensNothingElse)
{
    api.addInterface("\\\\?\\hid#vid_7a3c&pid_0d00&mi_01#9&1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                     {VENDOR, 0x0D00});
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT)),
              QStringList({CONTROL.c_str(), MODULE.c_str()}));
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT, "mi_04")), QStringList({MODULE.c_str()}));
    EXPECT_EQ(api.device(MOUSE).opens, 0) << "another maker's device is passed by on the ids in its path";
    EXPECT_EQ(api.device(WINE_MOUSE).opens, 1) << "a path without ids has to be opened to be asked";
    EXPECT_EQ(api.openSets(), 0);

    // An interface that goes away while it is listed leaves the others listed.
    api.interface(CONTROL).vanishesWhileListed = true;
    EXPECT_EQ(pathsOf(HidDevice::listDevices(VENDOR, PRODUCT)), QStringList({MODULE.c_str()}));
    EXPECT_EQ(api.openSets(), 0);
}

TEST_F(WinHidBackendTest, ASecondOpenerIsRefusedAlsoWhereTheSystemIgnoresTheShareMode)
{
    for (const bool enforcesSharing : {true, false})
    {
        SCOPED_TRACE(enforcesSharing ? "Windows" : "Wine");
        api.enforcesSharing = enforcesSharing;
        openControl();
        HidDevice second;
        HidDeviceInfo control(VENDOR, PRODUCT);
        control.setPath(CONTROL.c_str());
        EXPECT_EQ(second.open(&control), HID_NOT_OPEN);
        EXPECT_EQ(api.device(CONTROL).openFiles, 1);
        // By ids, the held interface is passed over for the next one.
        const HidDeviceInfo byIds(VENDOR, PRODUCT);
        ASSERT_EQ(second.open(&byIds), HID_SUCCESS);
        EXPECT_EQ(second.deviceInfo().path(), MODULE);
        EXPECT_EQ(second.inputReportLength(), REPORT_LENGTH);
        device.close();
        second.close();
        EXPECT_EQ(second.open(&control), HID_SUCCESS) << "closing gives the interface up";
    }
    EXPECT_EQ(OverlappedFile::guardName(CONTROL),
              OverlappedFile::guardName(QString::fromStdString(CONTROL).toUpper().toStdString()));
    EXPECT_FALSE(OverlappedFile::guardName(CONTROL).mid(6).contains('\\'));
}

TEST_F(WinHidBackendTest, AnInterfaceThatCannotBeDescribedIsClosedAgain)
{
    const struct
    {
        const char* name;
        void (*spoil)(FakeWinHidApi&);
    } cases[] = {
        {"attributes fail", [](FakeWinHidApi& api) { api.interface(CONTROL).attributesFail = true; }},
        {"capabilities fail", [](FakeWinHidApi& api) { api.interface(CONTROL).capabilitiesFail = true; }},
        {"no output report", [](FakeWinHidApi& api) { api.interface(CONTROL).outputReportLength = 0; }},
        {"open fails", [](FakeWinHidApi& api) { api.device(CONTROL).openError = 31; }},
    };
    CapturedWarnings warnings;
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.name);
        api.interface(CONTROL) = BOARD;
        testCase.spoil(api);
        HidDeviceInfo info(VENDOR, PRODUCT);
        info.setPath(CONTROL.c_str());
        EXPECT_EQ(device.open(&info), HID_NOT_OPEN);
        EXPECT_EQ(api.openHandles(), 0);
        EXPECT_EQ(api.outstandingPreparsedData(), 0);
    }
    // Said once for the path, with the call that failed and the system's reason.
    EXPECT_EQ(
        warnings.list(),
        QStringList(QString("Cannot open HID interface %1: HidD_GetAttributes failed: The device is not "
                            "connected. (error 1167)")
                        .arg(CONTROL.c_str())));
    api.interface(CONTROL) = BOARD;
    openControl();
}

TEST_F(WinHidBackendTest, TransfersEndInTimeAndACancelledOneIsWaitedFor)
{
    const struct
    {
        const char* name;
        Completion reads;
        QByteArray input;
        QByteArray duringCancel;
        int result;
        QByteArray data;
    } cases[] = {
        {"report at once", Completion::AtOnce, report(1), {}, HID_SUCCESS, report(1).mid(1)},
        {"report after a wait", Completion::WhenWaited, report(2), {}, HID_SUCCESS, report(2).mid(1)},
        {"nothing comes", Completion::WhenWaited, {}, {}, HID_TIMED_OUT, {}},
        {"report arrives while cancelling", Completion::Never, {}, report(3), HID_SUCCESS, report(3).mid(1)},
    };
    openControl();
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.name);
        FakeWinFileApi::Device& control = api.device(CONTROL);
        control.reads = testCase.reads;
        control.input.clear();
        if (!testCase.input.isEmpty())
            control.input.push_back(testCase.input);
        control.arrivesDuringCancel = testCase.duringCancel;
        EXPECT_EQ(read(), testCase.result);
        EXPECT_EQ(received(), testCase.data);
        EXPECT_EQ(api.pendingTransfers(), 0);
    }
    EXPECT_EQ(api.waits, std::vector<quint32>(3, TEST_TIMEOUT_MS));
    EXPECT_EQ(api.cancels, 2);

    // A write shorter than the output report goes out filled up to it; one that never ends times out.
    const unsigned char command[] = {0, 0x10, 5, 0};
    ASSERT_EQ(device.write(command, sizeof command), HID_SUCCESS);
    const QByteArray sent =
        QByteArray(reinterpret_cast<const char*>(command), sizeof command).leftJustified(REPORT_LENGTH, '\0');
    ASSERT_EQ(api.device(CONTROL).written.size(), 1u);
    EXPECT_EQ(api.device(CONTROL).written[0], sent);
    api.device(CONTROL).writes = Completion::Never;
    EXPECT_EQ(device.write(command, sizeof command), HID_TIMED_OUT);
}

TEST_F(WinHidBackendTest, AVanishedDeviceFailsTransfersAndTheProductStringAndSaysWhichOnce)
{
    openControl();
    wchar_t product[256];
    ASSERT_TRUE(device.getProductString(product, 256));
    EXPECT_EQ(std::wstring(product), L"Lidora Evaluation Board");

    CapturedWarnings warnings;
    api.device(CONTROL).unplugsDuringWait = true;
    EXPECT_EQ(read(), HID_TRANSFER_FAILED);
    const unsigned char command[REPORT_LENGTH] = {};
    EXPECT_EQ(device.write(command, REPORT_LENGTH), HID_TRANSFER_FAILED);
    EXPECT_FALSE(device.getProductString(product, 256));
    ASSERT_EQ(warnings.list().size(), 1);
    EXPECT_EQ(
        warnings.list()[0],
        QString("HID interface %1: GetOverlappedResult failed: The device is not connected. (error 1167)")
            .arg(CONTROL.c_str()));
}
