// The automation port as a client sees it: a real TCP connection to the window's server on 127.0.0.1.
#include "automationserver.h"
#include "automationsession.h"
#include "support/qtprinters.h"
#include "support/rawclient.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace
{

class AutomationTest : public WindowFixture
{
protected:
    void connectClient(QTcpSocket& client)
    {
        client.connectToHost(QHostAddress::LocalHost, AutomationServer::PORT);
        ASSERT_TRUE(client.waitForConnected(3000));
    }
    // What has arrived once the given number of lines has (or three seconds have passed); the server works
    // inside this process's event loop. Asked for no lines, it waits a short while for replies that must not
    // come.
    static QByteArray receive(QTcpSocket& client, int lines = 1)
    {
        QByteArray received;
        if (lines == 0)
            QTest::qWait(150);
        // A reply that does not come shows in what the caller compares.
        static_cast<void>(
            QTest::qWaitFor([&] { return (received += client.readAll()).count('\n') >= lines; }, 3000));
        return received;
    }
    static QList<QByteArray> lines(const QByteArray& text)
    {
        QList<QByteArray> result = text.split('\n');
        if (!result.isEmpty() && result.last().isEmpty())
            result.removeLast();
        return result;
    }
};

} // namespace

TEST_F(AutomationTest, WithoutBoardEveryCommandIsRefusedAndEmptyOnesAreIgnored)
{
    start("OBJ,1500,40\n");
    QTcpSocket client;
    connectClient(client);
    EXPECT_EQ(receive(client), QByteArray("#VER;;;1.0.0;;;\r\n")) << "no identification without a module";
    client.write("x");
    // How a chunk splits into commands (blanks, NUL bytes) is pinned by the parser's test.
    EXPECT_EQ(receive(client), QByteArray("#ERR;;No target system connected.\r\n"));
}

TEST_F(AutomationTest, ClientSwitchesModesAndTriggersMeasurementsWithTheirRecords)
{
    start("", true);
    QTcpSocket client;
    connectClient(client);
    EXPECT_EQ(receive(client), QByteArray("#VER;4c-31-44-07;1.3.0.12;1.0.0;2.1.0.4;1;3\r\n"));
    EXPECT_FALSE(child<QCheckBox>("cbContinuousMode")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("cbContinuousMode")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("pbStart")->isEnabled());
    EXPECT_TRUE(shown("sfAutomationStatus"));
    EXPECT_EQ(text("sfAutomationStatus"), "Automation On");

    const int modesAtStart = moduleFrames(0x07).size();
    client.write(" p \r\n");
    EXPECT_EQ(receive(client, 0), QByteArray()) << "mode commands have no reply";
    EXPECT_EQ(child<QComboBox>("cbOperationMode")->currentIndex(), 1);
    client.write("p");
    receive(client, 0);
    EXPECT_EQ(moduleFrames(0x07).size(), modesAtStart + 1) << "the same mode again sends nothing";

    client.write("D");
    const QList<QByteArray> records = lines(receive(client, 2));
    // The record layouts are pinned by the logging and plot tests.
    ASSERT_EQ(records.size(), 2) << "one measurement";
    EXPECT_TRUE(records[0].startsWith("#DEMODATA;"));
    EXPECT_TRUE(records[1].startsWith("#OBJ;"));
    EXPECT_EQ(records[1].split(';').size(), 7) << "one object";

    // Commands sent back to back are carried out one after the other, not merged into one.
    client.write("b\r\nm\r\n");
    EXPECT_EQ(lines(receive(client, 2)).size(), 2);
    EXPECT_EQ(child<QComboBox>("cbOperationMode")->currentIndex(), 2);

    client.disconnectFromHost();
    EXPECT_TRUE(QTest::qWaitFor([this] { return child<QCheckBox>("cbContinuousMode")->isChecked(); }));
    EXPECT_TRUE(child<QCheckBox>("cbContinuousMode")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("pbStart")->isEnabled());
    EXPECT_FALSE(shown("sfAutomationStatus"));
}

// A client that connects while a continuous tick lets events run must not get that tick's measurement.
TEST_F(AutomationTest, AClientConnectingDuringATickGetsOnlyItsVersionRecord)
{
    start("", true);
    QTcpSocket client;
    connectClient(client);
    window->clickpbStartContinuous();
    const QList<QByteArray> received = lines(receive(client, 0));
    ASSERT_EQ(received.size(), 1);
    EXPECT_TRUE(received[0].startsWith("#VER;"));
}

TEST_F(AutomationTest, SecondClientIsTurnedAwayAndTheFirstKeepsItsStream)
{
    start("", true);
    QTcpSocket first;
    connectClient(first);
    receive(first);
    QTcpSocket second;
    connectClient(second);
    EXPECT_EQ(receive(second), QByteArray("#ERR;;Another automation client is connected.\r\n"));
    EXPECT_TRUE(QTest::qWaitFor([&second] { return second.state() == QAbstractSocket::UnconnectedState; }));
    first.write("m");
    EXPECT_EQ(lines(receive(first, 2)).size(), 2);
}

TEST_F(AutomationTest, ClientsThatResetLeaveTheWindowInItsNormalLookWithOrWithoutABoard)
{
    for (const bool board : {true, false})
    {
        start("", board);
        QTcpServer* server = window->findChild<QTcpServer*>();
        ASSERT_NE(server, nullptr);
        EXPECT_EQ(server->serverAddress(), QHostAddress(QHostAddress::LocalHost))
            << "never reachable from the network";

        // Port probes and killed clients: a reset at once, and one with a command on its way.
        for (const QByteArray& command : {QByteArray(), QByteArray("m\r\n")})
        {
            RawClient rude(AutomationServer::PORT);
            rude.send(command);
            rude.reset();
        }
        EXPECT_TRUE(RawClient::waitUntil(
            [&]
            { return child<QCheckBox>("cbContinuousMode")->isChecked() && !shown("sfAutomationStatus"); }))
            << "back to continuous measurement, board " << board;
        EXPECT_TRUE(child<QPushButton>("pbStart")->isEnabled());

        QTcpSocket client;
        connectClient(client);
        EXPECT_TRUE(receive(client).startsWith("#VER;"));
        client.write("m\n");
        EXPECT_EQ(lines(receive(client, board ? 2 : 1)).size(), board ? 2 : 1);
    }
}

TEST_F(AutomationTest, FloodsAreWorkedOffInTurnsAndAClientThatDoesNotReadIsNotFedWithoutBound)
{
    start("", true);
    QTcpSocket client;
    connectClient(client);
    receive(client);
    // A 1 MiB chunk without line breaks is one command.
    client.write(QByteArray(1024 * 1024, 'x'));
    EXPECT_GE(lines(receive(client, 2)).size(), 2);

    // Many commands from a client that does not read: the program keeps its output bounded.
    client.setReadBufferSize(1);
    QByteArray flood;
    for (int i = 0; i < 20000; ++i)
        flood += "m\n";
    client.write(flood);
    QTest::qWait(1500);
    QTcpSocket* serverSide = window->findChild<QTcpSocket*>();
    ASSERT_NE(serverSide, nullptr);
    EXPECT_LE(serverSide->bytesToWrite(), AutomationSession::MAX_UNSENT_BYTES + 4096);
    client.setReadBufferSize(0);
    client.readAll();
}
