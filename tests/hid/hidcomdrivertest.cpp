#include "hidcomdriver.h"

#include "Communication/comstreamformatter.h"
#include "HidDevice/hidbackend.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <memory>
#include <thread>
#include <utility>

using NoxCore::Communication::ComDriver;
using NoxCore::Communication::ComStreamFormatter;
using namespace NoxHid;

namespace
{

const char* const CONTROL = "/dev/hidraw0#vid_7a3c&pid_0c08&mi_03";
const char* const MODULE = "/dev/hidraw1#vid_7a3c&pid_0c08&mi_04";

// A board at the level of whole reports: records every output report and hands out scripted input reports.
struct ReportBoard
{
    bool plugged = true;
    bool refuseWrites = false;
    std::vector<QByteArray> sent;
    std::deque<QByteArray> toReceive;
    // The first report of toReceive comes this late; every read notes the time-out it was given.
    int lateMs = 0;
    std::vector<unsigned int> readTimeouts;
};

class ReportConnection : public IHidConnection
{
public:
    explicit ReportConnection(ReportBoard& board) : itsBoard(board) {}
    quint16 vendorId() const override { return 0x7A3C; }
    quint16 productId() const override { return 0x0C08; }
    quint16 inputReportLength() const override { return 65; }
    quint16 outputReportLength() const override { return 65; }
    bool productString(std::wstring* text) override
    {
        *text = L"Board";
        return itsBoard.plugged;
    }
    Transfer read(unsigned char* buffer, unsigned int size, unsigned int timeoutMs,
                  unsigned int* transferred) override
    {
        itsBoard.readTimeouts.push_back(timeoutMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::exchange(itsBoard.lateMs, 0)));
        *transferred = 0;
        if (!itsBoard.plugged)
            return Transfer::Failed;
        if (itsBoard.toReceive.empty())
            return Transfer::TimedOut;
        const QByteArray report = itsBoard.toReceive.front();
        itsBoard.toReceive.pop_front();
        *transferred = std::min(size, unsigned(report.size()));
        std::copy(report.cbegin(), report.cbegin() + *transferred, buffer);
        return Transfer::Done;
    }
    Transfer write(const unsigned char* data, unsigned int length, unsigned int) override
    {
        if (!itsBoard.plugged || itsBoard.refuseWrites)
            return Transfer::Failed;
        itsBoard.sent.emplace_back(reinterpret_cast<const char*>(data), int(length));
        return Transfer::Done;
    }

private:
    ReportBoard& itsBoard;
};

class ReportBackend : public IHidBackend
{
public:
    explicit ReportBackend(ReportBoard& board) : itsBoard(board) { itsPrevious = HidBackend::install(this); }
    ~ReportBackend() override { HidBackend::install(itsPrevious); }
    std::vector<std::string> interfacePaths() override
    {
        return itsBoard.plugged ? std::vector<std::string>{CONTROL, MODULE} : std::vector<std::string>{};
    }
    std::unique_ptr<IHidConnection> open(const std::string&) override
    {
        return itsBoard.plugged ? std::make_unique<ReportConnection>(itsBoard) : nullptr;
    }

private:
    ReportBoard& itsBoard;
    IHidBackend* itsPrevious;
};

// An input report: report id 0, echo byte, count, status 0, data.
QByteArray inputReport(unsigned char echo, const QByteArray& data, int count = -1)
{
    QByteArray report(65, '\0');
    report[1] = char(echo);
    report[2] = char(count < 0 ? data.size() : count);
    report.replace(4, data.size(), data);
    return report.left(65);
}

QByteArray bytes(int count, char first = 1)
{
    QByteArray data;
    for (int i = 0; i < count; ++i)
        data.append(char(first + i));
    return data;
}

HidComDeviceInfo selection(const char* pathFilter)
{
    HidComDeviceInfo info(0x7A3C, 0x0C08);
    info.setPath(pathFilter);
    return info;
}

class HidComDriverTest : public ::testing::Test
{
protected:
    HidComDriverTest() : backend(board), driver(selection("mi_04"))
    {
        driver.setFormatter(&formatter);
        EXPECT_TRUE(driver.open());
    }

    int write(const QByteArray& data)
    {
        return driver.write(reinterpret_cast<const unsigned char*>(data.constData()), unsigned(data.size()));
    }

    ReportBoard board;
    ReportBackend backend;
    ComStreamFormatter formatter;
    HidComDriver driver;
};

} // namespace

TEST_F(HidComDriverTest, SmallFrameGoesOutInOneReportFilledWithCb)
{
    EXPECT_EQ(write(bytes(5)), 0);
    EXPECT_TRUE(board.sent.empty()) << "a part-filled report waits for flush";
    EXPECT_EQ(driver.flush(), 0);
    ASSERT_EQ(board.sent.size(), 1u);
    EXPECT_EQ(board.sent[0], QByteArray::fromHex("00"
                                                 "010500"
                                                 "0102030405") +
                                 QByteArray(56, char(0xCB)));
}

TEST_F(HidComDriverTest, LongFramesAreCutIntoReportsNumberedOneToFourteenThenZero)
{
    EXPECT_EQ(write(bytes(130)), 0);
    EXPECT_EQ(driver.flush(), 0);
    ASSERT_EQ(board.sent.size(), 3u);
    const int counts[] = {61, 61, 8};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(quint8(board.sent[i][1]), i + 1) << "sequence";
        EXPECT_EQ(quint8(board.sent[i][2]), counts[i]) << "count";
    }
    EXPECT_EQ(board.sent[2].mid(4, 8), bytes(8, 1 + 122));

    for (int i = 0; i < 12; ++i)
    {
        write(bytes(1));
        driver.flush();
    }
    EXPECT_EQ(quint8(board.sent[13][1]), 14);
    write(bytes(1));
    driver.flush();
    EXPECT_EQ(quint8(board.sent[14][1]), 0) << "after 14 comes 0";
}

// Faults: a numbered output report went out one byte short while its header counted the byte, and a
// numbered input report's id was looked for in the sequence echo, which failed nearly every answer.
TEST_F(HidComDriverTest, NumberedReportsCarryEveryByte)
{
    driver.setSettings(HidDeviceSettings(5, 7));
    EXPECT_EQ(write(bytes(61)), 0);
    EXPECT_EQ(driver.flush(), 0);
    ASSERT_EQ(board.sent.size(), 2u);
    EXPECT_EQ(board.sent[0], QByteArray::fromHex("05013c00") + bytes(60));
    EXPECT_EQ(board.sent[1], QByteArray::fromHex("05020100") + bytes(1, 61) + QByteArray(59, char(0xCB)));

    QByteArray numbered = inputReport(0x20, bytes(5));
    numbered[0] = 7;
    board.toReceive = {numbered};
    unsigned char answer[5] = {};
    EXPECT_EQ(driver.read(answer, 5), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(answer), 5), bytes(5));
}

TEST_F(HidComDriverTest, SkipsStaleAnswersAndReassemblesTheMatchingOnes)
{
    for (int i = 0; i < 3; ++i)
    {
        write(bytes(5));
        driver.flush();
    }
    // Sequence is 3 now: 0x20 echoes 2 and is stale, 0x35 echoes 3.
    board.toReceive = {inputReport(0x20, "stale"), inputReport(0x35, bytes(61)),
                       inputReport(0x30, bytes(9, 62))};
    unsigned char answer[70] = {};
    EXPECT_EQ(driver.read(answer, 70), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(answer), 70), bytes(70));

    // A stale report that comes late leaves the wait after it only the rest of the read time-out.
    driver.setReadTimeout(300);
    write(bytes(5));
    driver.flush();
    board.toReceive = {inputReport(0x30, "stale")};
    board.lateMs = 200;
    board.readTimeouts.clear();
    EXPECT_EQ(driver.read(answer, 5), ComDriver::RECEIVE_FAILED);
    ASSERT_EQ(board.readTimeouts.size(), 2u);
    EXPECT_LE(board.readTimeouts[1], 100u);
}

TEST_F(HidComDriverTest, BadInputReportsFailTheReceiveWithoutReadingPastThem)
{
    write(bytes(5));
    driver.flush();
    unsigned char answer[64] = {};
    const struct
    {
        const char* what;
        std::deque<QByteArray> reports;
    } cases[] = {
        {"no answer", {}},
        {"short report", {inputReport(0x10, bytes(20), 30).left(10)}},
        {"answer ends early", {inputReport(0x10, bytes(3))}},
    };
    for (const auto& c : cases)
    {
        board.toReceive = c.reports;
        EXPECT_EQ(driver.read(answer, 5), ComDriver::RECEIVE_FAILED) << c.what;
        EXPECT_EQ(driver.lastError(), ComDriver::RECEIVE_FAILED) << c.what;
    }
    // Every count byte: 1 to 61 are data, 0 (an empty report) and anything above 61 spoil the report.
    for (int count = 0; count <= 255; ++count)
    {
        board.toReceive = {inputReport(0x10, bytes(61), count)};
        const bool valid = count >= 1 && count <= 61;
        const unsigned int wanted = count == 0 ? 1 : unsigned(std::min(count, 61));
        EXPECT_EQ(driver.read(answer, wanted), valid ? 0 : ComDriver::RECEIVE_FAILED) << count;
        EXPECT_EQ(driver.lastError(), valid ? 0 : ComDriver::RECEIVE_FAILED) << count;
    }
}

TEST_F(HidComDriverTest, OversizedWriteAndPendingErrorsSendNothing)
{
    EXPECT_EQ(write(bytes(1094)), ComDriver::WRITE_TOO_LARGE);
    EXPECT_TRUE(board.sent.empty());
    driver.lastError();

    board.refuseWrites = true;
    EXPECT_EQ(write(bytes(61)), ComDriver::TRANSMIT_FAILED) << "the board is there but refuses";
    board.refuseWrites = false;
    write(bytes(3));
    EXPECT_EQ(driver.flush(), ComDriver::TRANSMIT_FAILED) << "a pending error blocks until it is read";
    EXPECT_TRUE(board.sent.empty());
    EXPECT_EQ(driver.lastError(), ComDriver::TRANSMIT_FAILED);
    write(bytes(3));
    EXPECT_EQ(driver.flush(), 0);
    EXPECT_EQ(board.sent.size(), 1u);
}

TEST_F(HidComDriverTest, UnplugClosesTheDriverAndReportsChannelNotOpen)
{
    EXPECT_EQ(driver.updateDeviceState(), HidComDriver::DEVICE_PRESENT);
    board.plugged = false;
    EXPECT_EQ(write(bytes(61)), ComDriver::CHANNEL_NOT_OPEN);
    EXPECT_FALSE(driver.isOpen());
    EXPECT_EQ(driver.deviceState(), HidComDriver::DEVICE_ABSENT);
    EXPECT_EQ(driver.lastError(), ComDriver::CHANNEL_NOT_OPEN);
    EXPECT_EQ(driver.flush(), ComDriver::CHANNEL_NOT_OPEN);
    EXPECT_FALSE(driver.open());

    board.plugged = true;
    EXPECT_TRUE(driver.open());
}

TEST_F(HidComDriverTest, FormatterStaysWhileOpenAndFiltersNeverFallBackToAnotherInterface)
{
    driver.setFormatter(nullptr);
    EXPECT_EQ(driver.formatter(), &formatter);

    HidComDriver other(selection("mi_05"));
    EXPECT_FALSE(other.open()) << "no interface mi_05: the control or module interface must not be taken";

    EXPECT_EQ(HidComDriver::listDevices(0x7A3C, 0x0C08, "mi_03").size(), 1);
    EXPECT_EQ(HidComDriver::listDevices(0x7A3C, 0x0C08, "").size(), 2);
    EXPECT_EQ(HidComDriver::listDevices(0x7A3C, 0x0C08, QString(300, 'x')).size(), 0);
}
