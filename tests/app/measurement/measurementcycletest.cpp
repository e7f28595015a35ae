#include "measurementcycle.h"
#include "logging.h"

#include "Communication/comstream.h"
#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/rawclient.h"
#include "support/scriptedcomdriver.h"
#include "support/tempworkdir.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>

namespace
{

// A cycle in a private working folder with its own clock, run the way the 33 ms timer runs it.
class CycleTest : public ::testing::Test
{
protected:
    void SetUp() override { createCycle(); }

    // A new cycle that finds this script in its working folder.
    void createCycle(const QByteArray& script = QByteArray())
    {
        cycle.reset();
        workDir.writeTestData(script);
        cycle = std::make_unique<MeasurementCycle>();
    }

    void measure(int times = 1)
    {
        for (int i = 0; i < times; ++i)
        {
            clock.advance(33);
            cycle->measure();
        }
    }

    TempWorkDir workDir;
    ManualClock clock;
    std::unique_ptr<MeasurementCycle> cycle;
};

} // namespace

// The module's samples replace the script's and reach the client; a failed exchange is no sample and no
// record, only the refusal a request gets while no board is there.
TEST_F(CycleTest, ModuleSamplesReachTheClientAndAFailedExchangeIsNoSampleAndNoRecord)
{
    using NoxCore::Communication::ComDriver;
    using NoxCore::Communication::ComStream;
    createCycle("OBJ,1500,40\n");
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    RawClient client(server.serverPort());
    ASSERT_TRUE(server.waitForNewConnection(5000));
    Logging logging(nullptr);
    logging.writeText("#DROPPED\r\n"); // no socket yet
    logging.setSocket(server.nextPendingConnection());
    cycle->setLogging(&logging);
    measure(); // test mode: the script is never streamed

    ScriptedComDriver driver;
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
    cycle->setModuleStream(&stream);
    // One object at 500 mm, decoded as the command test pins it.
    for (int i = 0; i < 4; ++i)
        driver.addAnswer(0x02, 0, QByteArray::fromHex("0100f401000000002a10270000204e0000"));
    measure(4);
    const QByteArray time = QByteArray::number(clock.now());
    const QList<QByteArray> records = client.receiveLines(8).split('\n');
    ASSERT_EQ(records.size(), 9) << "two records a measurement, nothing before them";
    EXPECT_TRUE(records[6].startsWith("#DEMODATA;" + time + ";500;"));
    EXPECT_EQ(records[7], "#OBJ;" + time + ";00001;00042;00500;000010000;000020000\r");

    // Nothing enters the series, the listeners learn of a gap, and the stream takes the next request at once.
    driver.failReads(ComDriver::RECEIVE_FAILED);
    measure();
    EXPECT_TRUE(cycle->sample().exchangeFailed);
    EXPECT_FALSE(cycle->sample().hasObject);
    EXPECT_EQ(cycle->processor().rawDistanceSeries()[0], 500.0);
    EXPECT_EQ(cycle->sample().objectState, STATE_OBJECT_PRESENCE);
    driver.failReads(ComDriver::SUCCESS);
    driver.rewindAnswers();
    measure();
    const QByteArray next = client.receiveLines(3);
    EXPECT_TRUE(next.startsWith("#ERR;;No target system connected.\r\n#DEMODATA;")) << next.toStdString();
    EXPECT_EQ(next.count('\n'), 3);

    // A closed stream means test mode again.
    driver.close();
    measure();
    EXPECT_EQ(cycle->sample().rawDistance, 1500);
    EXPECT_EQ(cycle->sample().source, MeasurementSource::TestScript);
}
