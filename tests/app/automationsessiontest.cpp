// The automation session and server against rude clients, over real loopback sockets with the real record
// writer. What the window does for a client is pinned by the automation test.
#include "automationsession.h"
#include "automationserver.h"
#include "iautomationtarget.h"
#include "logging.h"

#include "support/rawclient.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{

// Measures as the window does: two records per measurement, the second written whether or not the first
// one's write failed.
class RecordingTarget : public IAutomationTarget
{
public:
    void automationStarted(Logging* writer) override
    {
        itsWriter = writer;
        ++started;
    }
    void automationEnded() override
    {
        itsWriter = nullptr;
        ++ended;
    }
    bool isTargetConnected() override { return true; }
    QString versionRecord() override { return QStringLiteral("#VER;1\r\n"); }
    QStringList calibrationLines() override { return {QStringLiteral("#CAL;02;00")}; }
    void selectOperationMode(int) override {}
    void measureOnce() override
    {
        EXPECT_FALSE(itsMeasuring) << "a measurement entered again from inside itself";
        itsMeasuring = true;
        ++measurements;
        if (whileMeasuring)
            whileMeasuring();
        itsWriter->writeText(QStringLiteral("#DEMODATA;1\r\n") + padding);
        itsWriter->writeText(QStringLiteral("#OBJ;1\r\n"));
        itsMeasuring = false;
    }

    int started = 0;
    int ended = 0;
    int measurements = 0;
    QString padding;
    std::function<void()> whileMeasuring;

private:
    Logging* itsWriter = nullptr;
    bool itsMeasuring = false;
};

class AutomationSessionTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.listen(0, nullptr)); }

    RecordingTarget target;
    AutomationServer server{target};
};

} // namespace

TEST_F(AutomationSessionTest, ClientsThatResetAnywhereAreLetGoAndTheNextOneIsServed)
{
    const auto measuring = [this](RawClient& client)
    {
        const int before = target.measurements;
        client.send(QByteArray("m\n").repeated(40));
        RawClient::waitUntil([&] { return target.measurements > before; });
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
        EXPECT_EQ(target.ended, target.started) << c.when;

        RawClient polite(server.port());
        EXPECT_EQ(polite.receiveLines(1), "#VER;1\r\n") << c.when;
        polite.send("m\n");
        EXPECT_EQ(polite.receiveLines(2), "#DEMODATA;1\r\n#OBJ;1\r\n") << c.when;
    }
}

TEST_F(AutomationSessionTest, AClientThatReconnectsWhileItsOldConnectionsCloseIsPendingIsServed)
{
    RawClient first(server.port());
    first.receiveLines(1);
    std::unique_ptr<RawClient> second;
    // The program is busy while the client gives up and comes back: both reach it in the same turn.
    target.whileMeasuring = [&]
    {
        first.close();
        second = std::make_unique<RawClient>(server.port());
    };
    first.send("m\n");
    ASSERT_TRUE(RawClient::waitUntil([&] { return second != nullptr; }));
    target.whileMeasuring = nullptr;
    EXPECT_EQ(second->receiveLines(1), "#VER;1\r\n");
}

TEST_F(AutomationSessionTest, ALongLineWithoutLineBreaksQueuesNoMoreThanTheByteLimit)
{
    // Replies larger than what the kernel buffers, to a client that never reads: from then on the session
    // only reads, and only the byte limit stops it.
    target.padding = QString(16 * 1024 * 1024, QLatin1Char('x'));
    RawClient client(server.port());
    client.send("m\n");
    ASSERT_TRUE(RawClient::waitUntil([&] { return target.measurements == 1; }));
    const QByteArray part(64 * 1024, 'y');
    EXPECT_TRUE(RawClient::waitUntil(
        [&]
        {
            client.send(part);
            return server.session()->queuedCommandBytes() >= AutomationSession::MAX_QUEUED_BYTES;
        }));
    EXPECT_EQ(server.session()->queuedCommandBytes(), AutomationSession::MAX_QUEUED_BYTES);
}
