// The main window's device side: the simulated board on the USB, and the automation port as the window
// serves it over a real TCP connection on 127.0.0.1. How commands are queued, bounded and refused and how
// rude clients are let go is pinned by the session's test; here what the window adds: its look during
// automation, the board's identification, modes and measurements.
#include "automationserver.h"
#include "support/qtprinters.h"
#include "support/rawclient.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace
{

const QString GREEN = QStringLiteral("background-color: #009f69; color: #ffffff;");
const QString RED = QStringLiteral("background-color: #df5353; color: #ffffff;");

using BoardWindowTest = WindowFixture;

class AutomationTest : public WindowFixture
{
protected:
    // The controls a client takes over: the continuous box checked and enabled, the start button enabled,
    // the automation status shown.
    QVector<bool> look() const
    {
        QCheckBox* continuous = child<QCheckBox>("cbContinuousMode");
        return {continuous->isChecked(), continuous->isEnabled(), child<QPushButton>("pbStart")->isEnabled(),
                shown("sfAutomationStatus")};
    }
    // Continuous measurement, as without a client.
    bool inNormalLook() const { return look() == QVector<bool>({true, true, true, false}); }
};

} // namespace

TEST_F(BoardWindowTest, StartsOnTheBoardFallsBackToTheScriptOnUnplugAndReadsTheIdentificationOnReplug)
{
    start("OBJ,1500,40\n", true);
    window->show();
    measure(2);
    QTest::qWait(0);
    EXPECT_FALSE(shown("lDemoMode")) << "no test-mode banner with a board";
    EXPECT_EQ(text("lbSerialNumber"), "Serial #4c-31-44-07");
    EXPECT_NE(window->engine().cycle().processor().rawDistanceSeries()[0], 1500.0) << "not the script";

    // Mode 2 once at start-up, then the combo's modes.
    QComboBox* mode = child<QComboBox>("cbOperationMode");
    QCustomPlot* barPlot = child<QCustomPlot>("plotDistanceBar");
    mode->setCurrentIndex(1);
    mode->setCurrentIndex(0);
    EXPECT_EQ(usb->moduleFrames(0x07), QList<QByteArray>({QByteArray::fromHex("0700030000010002"),
                                                          QByteArray::fromHex("0700030000010001"),
                                                          QByteArray::fromHex("0700030000010000")}));

    const QSize chartSize = barPlot->size();
    usb->backend.clearReceivedFrames();
    usb->backend.unplug();
    // Each level's state is pinned by the stack's test; the fields must follow them.
    EXPECT_TRUE(QTest::qWaitFor([this] { return fieldStyle("sfModuleHID") == RED; }, 3000));
    measure(12);
    QTest::qWait(0);
    EXPECT_TRUE(shown("lDemoMode"));
    // The banner has its row already: the chart is not laid out again (a new paint buffer every unplug).
    EXPECT_EQ(barPlot->size(), chartSize);
    // A mode chosen with the board gone sends nothing (the last check); the chart still follows.
    mode->setCurrentIndex(1);
    EXPECT_EQ(barPlot->xAxis->range(), QCPRange(0, 100));

    usb->backend.replug();
    EXPECT_TRUE(QTest::qWaitFor([this] { return fieldStyle("sfModuleHID") == GREEN; }, 3000));
    measure(2);
    EXPECT_FALSE(shown("lDemoMode"));
    EXPECT_TRUE(usb->moduleFrames(0x07).isEmpty()) << "the mode is not sent again";
}

TEST_F(BoardWindowTest, FailedIdentificationOrCalibrationReadIsAFailureWhateverTheError)
{
    // A board gone and one that never answers end the exchange with different errors.
    for (const bool unplugged : {true, false})
    {
        start("", true);
        const QString before = text("lbSerialNumber");
        if (unplugged)
            usb->backend.unplug();
        else
            usb->backend.setHidFault(LidoraSim::SimulatedHidBackend::HidFault::NoAnswer);
        QString warning;
        answerNextMessageBox(&warning);
        window->engine().onToFModuleActivated();
        EXPECT_EQ(warning, "Warning|Could not retrieve serial number.") << "unplugged " << unplugged;
        EXPECT_EQ(text("lbSerialNumber"), before) << "unplugged " << unplugged;
        EXPECT_TRUE(window->engine().calibrationLines().isEmpty()) << "unplugged " << unplugged;
    }
}

TEST_F(AutomationTest, AClientConnectingDuringATickGetsOnlyWhatItAsksForAndSwitchesModesAndMeasures)
{
    start("", true);
    RawClient client(AutomationServer::PORT);
    // A continuous tick lets events run: the client is taken on there and must not get that tick's
    // measurement.
    QMetaObject::invokeMethod(&window->engine(), "onItsTimerTimeout");
    EXPECT_EQ(look(), QVector<bool>({false, false, false, true}));

    clock.advance(1000);
    client.send("p\np\nm\n");
    // The record layouts are pinned by the logging and processor tests.
    const QList<QByteArray> records = client.receiveLines(3).split('\n');
    ASSERT_EQ(records.size(), 4) << "the version record and one measurement";
    EXPECT_EQ(records[0], "#VER;4c-31-44-07;1.3.0.12;1.0.0;2.1.0.4;1;3\r");
    EXPECT_TRUE(records[1].startsWith("#DEMODATA;" + QByteArray::number(clock.now()) + ";"))
        << "not the tick's";
    EXPECT_EQ(child<QComboBox>("cbOperationMode")->currentIndex(), 1);

    // Killed with a command on its way.
    client.send("m\n");
    client.reset();
    EXPECT_TRUE(RawClient::waitUntil([this] { return inNormalLook(); }));
}

// Fault guarded: during a replay the window measured nothing, so a client's request got no answer at all.
TEST_F(AutomationTest, DuringAReplayAClientsCommandsAreRefusedNotLeftWaiting)
{
    start("", true);
    const QString path = workDir.filePath("run.csv");
    QString errorText;
    ASSERT_TRUE(window->startRecording(path, false, &errorText));
    measure(30);
    start("", true); // the old window's recording ends with it
    ASSERT_TRUE(window->engine().playRecording(path, &errorText)) << errorText.toStdString();

    RawClient client(AutomationServer::PORT);
    client.send("m\n");
    EXPECT_TRUE(client.receiveLines(2).endsWith("\r\n#ERR;;No target system connected.\r\n"));
}
