#include "logging.h"
#include "measurementcycle.h"

#include "Communication/comstream.h"
#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/scriptedcomdriver.h"
#include "support/tempworkdir.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace
{

// A real loopback connection: the writer gets the server side, the test reads what a client receives.
class LoopbackClient
{
public:
    LoopbackClient()
    {
        itsServer.listen(QHostAddress::LocalHost, 0);
        itsClient.connectToHost(QHostAddress::LocalHost, itsServer.serverPort());
        itsServer.waitForNewConnection(5000);
        itsServerSide = itsServer.nextPendingConnection();
        itsClient.waitForConnected(5000);
    }

    QAbstractSocket* serverSide() const { return itsServerSide; }

    QByteArray received()
    {
        QTest::qWait(20);
        while (itsClient.waitForReadyRead(100))
        {
        }
        return itsClient.readAll();
    }

private:
    QTcpServer itsServer;
    QTcpSocket itsClient;
    QTcpSocket* itsServerSide = nullptr;
};

} // namespace

TEST(Logging, ObjectRecordsAreZeroFilledButNeverShortened)
{
    const struct
    {
        quint8 count, confidence;
        quint16 distance;
        quint32 reference, object;
        const char* expected;
    } cases[] = {
        {1, 40, 1500, 12345, 678, "#OBJ;1700000000000;00001;00040;01500;000012345;000000678\r\n"},
        {3, 63, 65535, 4294967295u, 0, "#OBJ;1700000000000;00001;00063;65535;4294967295;000000000\r\n"},
        {0, 40, 1500, 1, 2, "#OBJ;1700000000000;00000\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            Logging::objectsRecord(1700000000000, c.count, c.confidence, c.distance, c.reference, c.object),
            QString::fromLatin1(c.expected));
    EXPECT_EQ(Logging::versionRecord("0a-1b-2c-3d", "1.2.0.15", "1.0.0", "2.0.1.5", "7", "3"),
              "#VER;0a-1b-2c-3d;1.2.0.15;1.0.0;2.0.1.5;7;3\r\n");
    EXPECT_EQ(Logging::versionRecord("", "", "1.0.0", "", "", ""), "#VER;;;1.0.0;;;\r\n");
}

TEST(Logging, CycleStreamsDemoDataThenObjectOnlyWhileTheModuleStreamIsOpen)
{
    TempWorkDir dir;
    dir.writeTestData("OBJ,1500,40\n");
    ManualClock clock;
    LoopbackClient client;
    Logging logging(nullptr);
    logging.writeText("#DROPPED\r\n"); // no socket yet
    logging.setSocket(client.serverSide());
    MeasurementCycle cycle;
    cycle.setLogging(&logging);

    // Test mode: the script is never streamed.
    cycle.measure();
    EXPECT_EQ(client.received(), QByteArray());

    ScriptedComDriver driver;
    driver.addAnswer(0x02, 0, QByteArray::fromHex("0100f401000000002a10270000204e0000"));
    NoxCore::Communication::ComStream stream(&driver,
                                             NoxCore::Communication::ComStream::theImmediateFlushPolicy);
    cycle.setModuleStream(&stream);
    clock.advance(33);
    cycle.measure();
    const QList<QByteArray> lines = client.received().split('\n');
    ASSERT_EQ(lines.size(), 3) << "two records";
    EXPECT_TRUE(lines[0].startsWith("#DEMODATA;" + QByteArray::number(clock.now()) + ";500;"));
    EXPECT_EQ(lines[1],
              "#OBJ;" + QByteArray::number(clock.now()) + ";00001;00042;00500;000010000;000020000\r");

    // A failed exchange is refused, never sent as a record, and the stream takes the next request at once.
    driver.failReads(NoxCore::Communication::ComDriver::RECEIVE_FAILED);
    clock.advance(33);
    cycle.measure();
    EXPECT_EQ(client.received(), "#ERR;;No target system connected.\r\n");
    driver.failReads(NoxCore::Communication::ComDriver::SUCCESS);
    driver.rewindAnswers();
    clock.advance(33);
    cycle.measure();
    EXPECT_EQ(client.received().count('\n'), 2);

    cycle.setLogging(nullptr);
    driver.rewindAnswers();
    clock.advance(33);
    cycle.measure();
    EXPECT_EQ(client.received(), QByteArray()) << "the writer is gone with its client";
}
