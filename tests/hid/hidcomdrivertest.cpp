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

// The fixture is the active back end and plays a board with a control and a module interface at the level
// of whole reports: it records every output report and hands out scripted input reports. The driver has
// the module interface open.
class HidComDriverTest : public ::testing::Test, public IHidBackend
{
protected:
    struct Connection : IHidConnection
    {
        explicit Connection(HidComDriverTest& board) : board(board) {}
        quint16 vendorId() const override { return 0x7A3C; }
        quint16 productId() const override { return 0x0C08; }
        quint16 inputReportLength() const override { return 65; }
        quint16 outputReportLength() const override { return 65; }
        bool productString(std::wstring*) override { return board.plugged; }
        Transfer read(unsigned char* buffer, unsigned int size, unsigned int timeoutMs,
                      unsigned int* transferred) override
        {
            board.readTimeouts.push_back(timeoutMs);
            std::this_thread::sleep_for(std::chrono::milliseconds(std::exchange(board.lateMs, 0)));
            *transferred = 0;
            if (!board.plugged)
                return Transfer::Failed;
            if (board.toReceive.empty())
                return Transfer::TimedOut;
            const QByteArray report = board.toReceive.front();
            board.toReceive.pop_front();
            *transferred = std::min(size, unsigned(report.size()));
            std::copy(report.cbegin(), report.cbegin() + *transferred, buffer);
            return Transfer::Done;
        }
        Transfer write(const unsigned char* data, unsigned int length, unsigned int) override
        {
            if (!board.plugged || board.refuseWrites)
                return Transfer::Failed;
            board.sent.emplace_back(reinterpret_cast<const char*>(data), int(length));
            return Transfer::Done;
        }
        HidComDriverTest& board;
    };

    HidComDriverTest() : itsPreviousBackend(HidBackend::install(this)), driver(selection("mi_04"))
    {
        driver.setFormatter(&formatter);
        EXPECT_TRUE(driver.open());
    }
    ~HidComDriverTest() override { HidBackend::install(itsPreviousBackend); }

    std::vector<std::string> interfacePaths() override
    {
        if (!plugged)
            return {};
        return {"/dev/hidraw0#vid_7a3c&pid_0c08&mi_03", "/dev/hidraw1#vid_7a3c&pid_0c08&mi_04"};
    }
    std::unique_ptr<IHidConnection> open(const std::string&) override
    {
        return plugged ? std::make_unique<Connection>(*this) : nullptr;
    }

    int write(const QByteArray& data)
    {
        return driver.write(reinterpret_cast<const unsigned char*>(data.constData()), unsigned(data.size()));
    }
    int send(const QByteArray& data)
    {
        write(data);
        return driver.flush();
    }

    bool plugged = true;
    bool refuseWrites = false;
    std::vector<QByteArray> sent;
    std::deque<QByteArray> toReceive;
    // The first report of toReceive comes this late; every read notes the time-out it was given.
    int lateMs = 0;
    std::vector<unsigned int> readTimeouts;
    IHidBackend* itsPreviousBackend;
    ComStreamFormatter formatter;
    HidComDriver driver;
};

} // namespace

// The framing the board reads: report id 0, sequence number, data count, 0, the data, and 0xCB after it.
TEST_F(HidComDriverTest, FramesAreCutIntoReportsNumberedOneToFourteenThenZero)
{
    // Ignored while open: the header below still comes from the formatter.
    driver.setFormatter(nullptr);
    EXPECT_EQ(write(bytes(130)), 0);
    EXPECT_EQ(sent.size(), 2u) << "full reports go out at once, the part-filled last one waits for flush";
    EXPECT_EQ(driver.flush(), 0);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], QByteArray::fromHex("00013d00") + bytes(61));
    EXPECT_EQ(sent[1], QByteArray::fromHex("00023d00") + bytes(61, 62));
    EXPECT_EQ(sent[2], QByteArray::fromHex("00030800") + bytes(8, 123) + QByteArray(53, char(0xCB)));

    for (int i = 0; i < 12; ++i)
        send(bytes(1));
    ASSERT_EQ(sent.size(), 15u);
    EXPECT_EQ(quint8(sent[13][1]), 14);
    EXPECT_EQ(quint8(sent[14][1]), 0) << "after 14 comes 0";
}

// Faults: a numbered output report went out one byte short while its header counted the byte, and a
// numbered input report's id was looked for in the sequence echo, which failed nearly every answer.
TEST_F(HidComDriverTest, NumberedReportsCarryEveryByte)
{
    driver.setSettings(HidDeviceSettings(5, 7));
    EXPECT_EQ(write(bytes(61)), 0);
    EXPECT_EQ(driver.flush(), 0);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], QByteArray::fromHex("05013c00") + bytes(60));
    EXPECT_EQ(sent[1], QByteArray::fromHex("05020100") + bytes(1, 61) + QByteArray(59, char(0xCB)));

    QByteArray numbered = inputReport(0x20, bytes(5));
    numbered[0] = 7;
    toReceive = {numbered};
    unsigned char answer[5] = {};
    EXPECT_EQ(driver.read(answer, 5), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(answer), 5), bytes(5));
}

TEST_F(HidComDriverTest, SkipsStaleAnswersAndReassemblesTheMatchingOnes)
{
    for (int i = 0; i < 3; ++i)
        send(bytes(5));
    // Sequence is 3 now: 0x20 echoes 2 and is stale, 0x35 echoes 3.
    toReceive = {inputReport(0x20, "stale"), inputReport(0x35, bytes(61)), inputReport(0x30, bytes(9, 62))};
    unsigned char answer[70] = {};
    EXPECT_EQ(driver.read(answer, 70), 0);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(answer), 70), bytes(70));

    // A stale report that comes late leaves the wait after it only the rest of the read time-out.
    driver.setReadTimeout(300);
    send(bytes(5));
    toReceive = {inputReport(0x30, "stale")};
    lateMs = 200;
    readTimeouts.clear();
    EXPECT_EQ(driver.read(answer, 5), ComDriver::RECEIVE_FAILED);
    ASSERT_EQ(readTimeouts.size(), 2u);
    EXPECT_LE(readTimeouts[1], 100u);
}

TEST_F(HidComDriverTest, BadInputReportsFailTheReceiveWithoutReadingPastThem)
{
    send(bytes(5));
    unsigned char answer[64] = {};
    const std::pair<const char*, std::deque<QByteArray>> cases[] = {
        {"no answer", {}},
        {"short report", {inputReport(0x10, bytes(20), 30).left(10)}},
        {"answer ends early", {inputReport(0x10, bytes(3))}},
    };
    for (const auto& c : cases)
    {
        toReceive = c.second;
        EXPECT_EQ(driver.read(answer, 5), ComDriver::RECEIVE_FAILED) << c.first;
        EXPECT_EQ(driver.lastError(), ComDriver::RECEIVE_FAILED) << c.first;
    }
    // Every count byte: 1 to 61 are data, 0 (an empty report) and anything above 61 spoil the report.
    for (int count = 0; count <= 255; ++count)
    {
        toReceive = {inputReport(0x10, bytes(61), count)};
        const bool valid = count >= 1 && count <= 61;
        const unsigned int wanted = count == 0 ? 1 : unsigned(std::min(count, 61));
        EXPECT_EQ(driver.read(answer, wanted), valid ? 0 : ComDriver::RECEIVE_FAILED) << count;
        EXPECT_EQ(driver.lastError(), valid ? 0 : ComDriver::RECEIVE_FAILED) << count;
    }
}

TEST_F(HidComDriverTest, WriteErrorsSendNothingAndABoardThatIsGoneClosesTheDriver)
{
    EXPECT_EQ(write(bytes(1094)), ComDriver::WRITE_TOO_LARGE);
    driver.lastError();

    refuseWrites = true;
    EXPECT_EQ(write(bytes(61)), ComDriver::TRANSMIT_FAILED) << "the board is there but refuses";
    refuseWrites = false;
    EXPECT_EQ(send(bytes(3)), ComDriver::TRANSMIT_FAILED) << "a pending error blocks until it is read";
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(driver.lastError(), ComDriver::TRANSMIT_FAILED);
    EXPECT_EQ(send(bytes(3)), 0);
    EXPECT_EQ(sent.size(), 1u);

    plugged = false;
    EXPECT_EQ(write(bytes(61)), ComDriver::CHANNEL_NOT_OPEN);
    EXPECT_FALSE(driver.isOpen());
    EXPECT_EQ(driver.deviceState(), HidComDriver::DEVICE_ABSENT);
}

TEST_F(HidComDriverTest, APathFilterThatMatchesNothingNeverFallsBackToAnotherInterface)
{
    HidComDriver other(selection("mi_05"));
    EXPECT_FALSE(other.open()) << "no interface mi_05: the control or module interface must not be taken";
}
