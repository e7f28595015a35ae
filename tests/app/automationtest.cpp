// The automation port as the window serves it: a real TCP connection on 127.0.0.1. How commands are queued,
// bounded and refused and how rude clients are let go is pinned by the session's test; here what the
// window adds: its look during automation, the board's identification, modes and measurements.
#include "automationserver.h"
#include "support/qtprinters.h"
#include "support/rawclient.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

namespace
{

class AutomationTest : public WindowFixture
{
protected:
    // Continuous measurement, as without a client.
    bool inNormalLook() const
    {
        QCheckBox* continuous = child<QCheckBox>("cbContinuousMode");
        return continuous->isChecked() && continuous->isEnabled() &&
               child<QPushButton>("pbStart")->isEnabled() && !shown("sfAutomationStatus");
    }
};

} // namespace

TEST_F(AutomationTest, AClientConnectingDuringATickGetsOnlyWhatItAsksForAndSwitchesModesAndMeasures)
{
    start("", true);
    RawClient client(AutomationServer::PORT);
    // A continuous tick lets events run: the client is taken on there and must not get that tick's
    // measurement.
    window->clickpbStartContinuous();
    EXPECT_FALSE(child<QCheckBox>("cbContinuousMode")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("cbContinuousMode")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("pbStart")->isEnabled());
    EXPECT_TRUE(shown("sfAutomationStatus"));

    const int modesAtStart = moduleFrames(0x07).size();
    clock.advance(1000);
    client.send("p\np\nm\n");
    // The record layouts are pinned by the logging and processor tests.
    const QList<QByteArray> records = client.receiveLines(3).split('\n');
    ASSERT_EQ(records.size(), 4) << "the version record and one measurement";
    EXPECT_EQ(records[0], "#VER;4c-31-44-07;1.3.0.12;1.0.0;2.1.0.4;1;3\r");
    EXPECT_TRUE(records[1].startsWith("#DEMODATA;" + QByteArray::number(clock.now()) + ";"))
        << "not the tick's";
    EXPECT_EQ(child<QComboBox>("cbOperationMode")->currentIndex(), 1);
    EXPECT_EQ(moduleFrames(0x07).size(), modesAtStart + 1) << "the same mode again sends nothing";

    // Killed with a command on its way.
    client.send("m\n");
    client.reset();
    EXPECT_TRUE(RawClient::waitUntil([this] { return inNormalLook(); }));
}

TEST_F(AutomationTest, WithoutABoardAClientThatResetsLeavesTheNormalLookAndTheNextIsRefusedMeasurements)
{
    start("OBJ,1500,40\n");
    RawClient rude(AutomationServer::PORT);
    rude.receiveLines(1);
    rude.send("m\r\n");
    rude.reset();
    EXPECT_TRUE(RawClient::waitUntil([this] { return inNormalLook(); }));

    RawClient client(AutomationServer::PORT);
    client.send("m\n");
    EXPECT_EQ(client.receiveLines(2), "#VER;;;1.0.0;;;\r\n#ERR;;No target system connected.\r\n")
        << "no identification and no measurement without a module";
}
