// The automation port: how a chunk splits into commands, the records' texts, and the session and server as a
// client sees them, over real loopback sockets with the real record writer and a stand-in target. What the
// window adds for a client is pinned by the window's automation tests, how the cycle streams records by the
// cycle's.
#include "automationsession.h"
#include "automationcommandparser.h"
#include "automationserver.h"
#include "getcalibrationdatacommand.h"
#include "iautomationtarget.h"
#include "logging.h"

#include "support/qtprinters.h"
#include "support/rawclient.h"

#include <QTcpServer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{

const QByteArray MEASURED = "#DEMODATA;1\r\n#OBJ;1\r\n";

// Measures as the window does: two records per measurement, the second written whether or not the first
// one's write failed. Notes every mode and measurement it is asked for.
class RecordingTarget : public IAutomationTarget
{
public:
    void automationStarted(Logging* writer) override
    {
        itsWriter = writer;
        calls << QStringLiteral("start");
    }
    void automationEnded() override
    {
        itsWriter = nullptr;
        calls << QStringLiteral("end");
    }
    bool isTargetConnected() override { return true; }
    QString versionRecord() override { return QStringLiteral("#VER;1\r\n"); }
    QStringList calibrationLines() override { return {QStringLiteral("#CAL;02;00")}; }
    void selectOperationMode(int mode) override { calls << QStringLiteral("mode %1").arg(mode); }
    void measureOnce() override
    {
        EXPECT_FALSE(itsMeasuring) << "a measurement entered again from inside itself";
        itsMeasuring = true;
        calls << QStringLiteral("measure");
        if (whileMeasuring)
            whileMeasuring();
        itsWriter->writeText(QStringLiteral("#DEMODATA;1\r\n") + padding);
        itsWriter->writeText(QStringLiteral("#OBJ;1\r\n"));
        itsMeasuring = false;
    }
    int count(const char* call) const { return int(calls.count(QString::fromLatin1(call))); }

    QStringList calls;
    QString padding;
    std::function<void()> whileMeasuring;

private:
    Logging* itsWriter = nullptr;
    bool itsMeasuring = false;
};

class AutomationSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listen(0, nullptr));
        EXPECT_EQ(server.findChild<QTcpServer*>()->serverAddress(), QHostAddress(QHostAddress::LocalHost))
            << "never reachable from the network";
    }

    RecordingTarget target;
    AutomationServer server{target};
};

} // namespace

TEST(AutomationCommandParser, SplitsAtLineBreaksTrimsDropsEmptyAndStopsAtZero)
{
    const struct
    {
        const char* what;
        QByteArray chunk;
        QStringList commands;
    } cases[] = {
        {"without line breaks the chunk is one command", " start now\t", {"start now"}},
        {"CR LF, LF and CR all end lines", "d\r\np\nb\rgo", {"d", "p", "b", "go"}},
        {"empty and blank lines are dropped", "\r\n\r\n  \nd\n\n", {"d"}},
        {"a zero byte ends the chunk", QByteArray("d\np\0b\n", 6), {"d", "p"}},
        {"a zero byte first leaves nothing", QByteArray("\0d\n", 3), {}},
        {"bytes above 0x7f are Latin-1", "\xe9t\xe9\n", {QString::fromLatin1("\xe9t\xe9")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AutomationCommandParser::parse(c.chunk), c.commands) << c.what;
}

TEST(Logging, RecordTextsAreExactAndObjectFieldsZeroFilledButNeverShortened)
{
    // The calibration block as the window and headless mode read it for the writer's file.
    GetCalibrationDataCommand calibration(Logging::AUTOMATION_CALIBRATION_BLOCK);
    unsigned char request[1] = {};
    unsigned char block[14] = {0x0a, 0xff, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x0a, 0x0b};
    ASSERT_TRUE(calibration.serialize(request, 1) && calibration.deserialize(block, 14));
    EXPECT_EQ(Logging::calibrationLines(calibration),
              QStringList({"#DTX;GET_CALIBRATION_DATA;09;02"
                           "#DRX;GET_CALIBRATION_DATA;0A;FF;00;01;02;03;04;05;06;07;08;09;0A;0B",
                           "#CAL;02;0A;FF;00;01;02;03;04;05;06;07;08;09;0A;0B"}));

    const qint64 time = 1700000000000;
    EXPECT_EQ(Logging::objectsRecord(time, 1, 40, 1500, 12345, 678),
              "#OBJ;1700000000000;00001;00040;01500;000012345;000000678\r\n");
    // Only the first of several objects, every field at its widest.
    EXPECT_EQ(Logging::objectsRecord(time, 3, 63, 65535, 4294967295u, 0),
              "#OBJ;1700000000000;00001;00063;65535;4294967295;000000000\r\n");
    EXPECT_EQ(Logging::objectsRecord(time, 0, 40, 1500, 1, 2), "#OBJ;1700000000000;00000\r\n");
    EXPECT_EQ(Logging::versionRecord("0a-1b-2c-3d", "1.2.0.15", "1.0.0", "2.0.1.5", "7", "3"),
              "#VER;0a-1b-2c-3d;1.2.0.15;1.0.0;2.0.1.5;7;3\r\n");
    EXPECT_EQ(Logging::versionRecord("", "", "1.0.0", "", "", ""), "#VER;;;1.0.0;;;\r\n");
}

TEST_F(AutomationSessionTest, ClientsThatResetAnywhereAreLetGoAndTheNextOneIsServed)
{
    const auto measuring = [this](RawClient& client)
    {
        const int before = target.count("measure");
        client.send(QByteArray("m\n").repeated(40));
        RawClient::waitUntil([&] { return target.count("measure") > before; });
    };
    const struct
    {
        const char* when;
        std::function<void(RawClient&)> before;
    } cases[] = {
        {"at once", [](RawClient&) {}},
        {"after the version record", [](RawClient& client) { client.receiveLines(1); }},
        {"in a measurement with commands queued", measuring},
    };
    for (const auto& c : cases)
    {
        for (int round = 0; round < 20; ++round)
        {
            RawClient rude(server.port());
            c.before(rude);
            rude.reset();
        }
        EXPECT_TRUE(RawClient::waitUntil([&] { return server.session() == nullptr; })) << c.when;
        EXPECT_EQ(target.count("end"), target.count("start")) << c.when;

        RawClient polite(server.port());
        polite.send("m\n");
        EXPECT_EQ(polite.receiveLines(3), "#VER;1\r\n" + MEASURED) << c.when;
    }
}

TEST_F(AutomationSessionTest, OneClientAtATimeAndANewcomerIsServedOnceTheOldConnectionHasClosed)
{
    RawClient first(server.port());
    first.receiveLines(1);
    RawClient second(server.port());
    EXPECT_EQ(second.receiveLines(1), "#ERR;;Another automation client is connected.\r\n");
    EXPECT_TRUE(RawClient::waitUntil([&] { return second.peerClosed(); }));
    // The first keeps its stream, commands in turn: modes without a reply, anything else measures.
    first.send("p\nd\r\nb\rD\n");
    EXPECT_EQ(first.receiveLines(2), MEASURED);
    EXPECT_EQ(target.calls, QStringList({"start", "mode 1", "mode 0", "mode 2", "measure"}));

    // The program is busy while the client gives up and comes back: both reach it in the same turn.
    std::unique_ptr<RawClient> again;
    target.whileMeasuring = [&]
    {
        first.close();
        again = std::make_unique<RawClient>(server.port());
    };
    first.send("m\n");
    ASSERT_TRUE(RawClient::waitUntil([&] { return again != nullptr; }));
    target.whileMeasuring = nullptr;
    EXPECT_EQ(again->receiveLines(1), "#VER;1\r\n");
}

TEST_F(AutomationSessionTest, AClientThatNeverReadsQueuesNoMoreThanTheLimits)
{
    // Replies larger than what the kernel buffers: from then on no command is carried out and the session
    // only reads, until the queue is full in commands (short ones) or in bytes (one line without breaks).
    // The second round's client comes while the first round's, gone, still has a full queue and no room for
    // its replies, so the session never reads or writes it again: only the kernel knows it has closed.
    target.padding = QString(16 * 1024 * 1024, QLatin1Char('x'));
    for (const auto& bound :
         {std::make_pair(QByteArray("m\n").repeated(32 * 1024),
                         qint64(AutomationSession::MAX_QUEUED_COMMANDS)),
          std::make_pair(QByteArray(64 * 1024, 'y'), AutomationSession::MAX_QUEUED_BYTES)})
    {
        const int before = target.count("measure");
        RawClient client(server.port());
        client.send("m\n");
        ASSERT_TRUE(RawClient::waitUntil([&] { return target.count("measure") == before + 1; }));
        EXPECT_TRUE(RawClient::waitUntil(
            [&]
            {
                client.send(bound.first);
                return server.session()->queuedCommandBytes() >= bound.second;
            }));
        EXPECT_EQ(server.session()->queuedCommandBytes(), bound.second);
        EXPECT_EQ(target.count("measure"), before + 1) << "no command while the replies wait";
    }
}
