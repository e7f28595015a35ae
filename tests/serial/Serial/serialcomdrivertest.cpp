#include "Serial/serialcomdriver.h"

#include "support/capturedwarnings.h"
#include "support/qtprinters.h"
#include "support/serialports.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QStringList>
#include <QtGlobal>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace NoxCom::Serial;
using NoxCore::Communication::ComDriver;

namespace
{

const int TEST_TIMEOUT_MS = 200;

// Sees the given ports instead of the system's: a pseudo terminal stands in for the board's CDC port.
class PtySerialComDriver : public SerialComDriver
{
public:
    explicit PtySerialComDriver(const QList<SerialComDeviceInfo>& ports)
        : SerialComDriver(SerialComDeviceInfo(BOARD_VENDOR, BOARD_PRODUCT)), itsPorts(ports)
    {
        setTimeout(TEST_TIMEOUT_MS);
    }

protected:
    QList<SerialComDeviceInfo> presentPorts() const override { return itsPorts; }

private:
    QList<SerialComDeviceInfo> itsPorts;
};

// The test plays the board on the master side of a pseudo terminal; the driver opens its slave.
class SerialComDriverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        board = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(board, 0);
        ASSERT_EQ(::grantpt(board), 0);
        ASSERT_EQ(::unlockpt(board), 0);
        slavePath = QString::fromLocal8Bit(::ptsname(board));
        // An unrelated port listed first, so that open() shows it takes the board's.
        driver = std::make_unique<PtySerialComDriver>(
            QList<SerialComDeviceInfo>{port("ttyACM9", BOARD_VENDOR, 0x0001), port(slavePath)});
    }

    void TearDown() override
    {
        driver.reset();
        if (board >= 0)
            ::close(board);
    }

    // What the board receives within the test's time-out, up to size bytes.
    QByteArray boardReceives(int size)
    {
        QByteArray bytes;
        const QDeadlineTimer deadline(TEST_TIMEOUT_MS);
        pollfd node = {board, POLLIN, 0};
        while (bytes.size() < size && ::poll(&node, 1, int(deadline.remainingTime())) > 0)
        {
            char chunk[4096];
            const ssize_t count =
                ::read(board, chunk, std::min<size_t>(sizeof chunk, size_t(size - bytes.size())));
            if (count <= 0)
                break;
            bytes.append(chunk, int(count));
        }
        return bytes;
    }

    // Reads until size bytes have come or a read fails.
    QByteArray driverReceives(int size)
    {
        QByteArray bytes(size, '\0');
        qint64 received = 0;
        for (qint64 count = 1; received < size && count > 0; received += std::max<qint64>(count, 0))
            count = driver->readBytes(bytes.data() + received, size - received);
        return bytes.left(int(received));
    }

    int board = -1;
    QString slavePath;
    std::unique_ptr<PtySerialComDriver> driver;
};

} // namespace

TEST_F(SerialComDriverTest, OpenSetsTheBoardsRawLineOnTheBoardsPortAndHoldsItAlone)
{
    ASSERT_TRUE(driver->open());
    EXPECT_FALSE(driver->open());

    // The master side shows the slave's line settings.
    termios line = {};
    ASSERT_EQ(::tcgetattr(board, &line), 0);
    EXPECT_EQ(::cfgetispeed(&line), speed_t(B19200));
    EXPECT_EQ(::cfgetospeed(&line), speed_t(B19200));
    EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(line.c_cflag & CSTOPB, tcflag_t(CSTOPB));
    EXPECT_EQ(line.c_cflag & PARENB, tcflag_t(0));

    // The line must be raw: no CR/LF translation, no echo, no flow-control or signal characters.
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(char(value));
    EXPECT_EQ(driver->writeBytes(bytes.constData(), bytes.size()), bytes.size());
    EXPECT_EQ(boardReceives(bytes.size() + 1), bytes);
    ASSERT_EQ(::write(board, bytes.constData(), size_t(bytes.size())), bytes.size());
    EXPECT_EQ(driverReceives(bytes.size()), bytes);

    // The port is locked while a driver holds it; a driver dropped without close() must not keep it.
    PtySerialComDriver second({port(slavePath)});
    EXPECT_FALSE(second.open());
    driver.reset();
    EXPECT_TRUE(second.open());
    EXPECT_TRUE(second.close());
    EXPECT_FALSE(second.close());
}

TEST_F(SerialComDriverTest, OpenFailureIsWarnedAboutOnce)
{
    CapturedWarnings warnings;
    PtySerialComDriver missing({port("/dev/ttyLIDORA7")});
    EXPECT_FALSE(missing.open());
    EXPECT_FALSE(missing.open());
    EXPECT_EQ(warnings.list(),
              QStringList{"Cannot open serial port /dev/ttyLIDORA7: No such file or directory."});
}

TEST_F(SerialComDriverTest, APortNobodyReadsHoldsABoundedAmount)
{
    // The board talks on and on while the port is held open and never read.
    ASSERT_TRUE(driver->open());
    ASSERT_EQ(::fcntl(board, F_SETFL, ::fcntl(board, F_GETFL) | O_NONBLOCK), 0);
    const QByteArray line(1024, 'x');
    qint64 sent = 0;
    for (int round = 0; round < 2000 && sent < 8 * ISerialBackend::READ_BUFFER_SIZE; ++round)
    {
        sent += std::max<ssize_t>(::write(board, line.constData(), size_t(line.size())), 0);
        QCoreApplication::processEvents();
    }
    driver->setWaitForReadyRead(false);
    QByteArray held(int(sent), '\0');
    EXPECT_LE(driver->readBytes(held.data(), sent), ISerialBackend::READ_BUFFER_SIZE);
    EXPECT_GT(sent, ISerialBackend::READ_BUFFER_SIZE) << "the board was held back before the bound";
}

TEST_F(SerialComDriverTest, TimedOutTransfersKeepThePortAndReadsNeedNotWait)
{
    ASSERT_TRUE(driver->open());
    char buffer[16] = {};
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(driver->readBytes(buffer, sizeof buffer), ComDriver::RECEIVE_FAILED);
    EXPECT_GE(timer.elapsed(), TEST_TIMEOUT_MS - 10);
    EXPECT_TRUE(driver->isOpen());
    EXPECT_EQ(driver->lastError(), ComDriver::RECEIVE_FAILED);

    // The failed wait left nothing behind: the next read is clean.
    ASSERT_EQ(::write(board, "ab", 2), 2);
    EXPECT_EQ(driverReceives(2), "ab");

    driver->setWaitForReadyRead(false);
    timer.restart();
    EXPECT_EQ(driver->readBytes(buffer, sizeof buffer), 0);
    EXPECT_LT(timer.elapsed(), TEST_TIMEOUT_MS / 2);
    // Bytes the board sent are there without an event loop in between.
    ASSERT_EQ(::write(board, "cd", 2), 2);
    qint64 count = 0;
    for (timer.restart(); count == 0 && !timer.hasExpired(TEST_TIMEOUT_MS);)
        count = driver->readBytes(buffer, sizeof buffer);
    EXPECT_EQ(QByteArray(buffer, int(count)), "cd");

    // The board reads nothing, so the line fills up long before a megabyte has left; what did not leave
    // is dropped.
    const QByteArray flood(1024 * 1024, 'F');
    EXPECT_EQ(driver->writeBytes(flood.constData(), flood.size()), ComDriver::TRANSMIT_FAILED);
    EXPECT_TRUE(driver->isOpen());
    ASSERT_EQ(::tcflush(board, TCIFLUSH), 0);

    ASSERT_EQ(driver->writeBytes("end", 3), 3);
    EXPECT_EQ(boardReceives(16), "end");
}

TEST_F(SerialComDriverTest, UnpluggedBoardFailsTheTransferAndClosesThePort)
{
    // { waitForReadyRead, write }: the hang-up must show without waiting out the time-out.
    const bool cases[][2] = {{true, true}, {true, false}, {false, false}};
    for (const auto& testCase : cases)
    {
        TearDown();
        SetUp();
        driver->setWaitForReadyRead(testCase[0]);
        ASSERT_TRUE(driver->open());
        ::close(board);
        board = -1;
        char buffer[4] = {};
        const auto transfer = [&]
        { return testCase[1] ? driver->writeBytes("abc", 3) : driver->readBytes(buffer, 4); };
        const int failure = testCase[1] ? ComDriver::TRANSMIT_FAILED : ComDriver::RECEIVE_FAILED;
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(transfer(), failure);
        EXPECT_LT(timer.elapsed(), TEST_TIMEOUT_MS);
        EXPECT_FALSE(driver->isOpen());
        // A closed driver refuses the next transfer the same way.
        EXPECT_EQ(transfer(), failure);
    }
}
