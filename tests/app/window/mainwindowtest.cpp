#include "historychart.h"
#include "recordingformat.h"
#include "statisticspanel.h"

#include "support/qtprinters.h"
#include "windowfixture.h"

#include <QAction>
#include <QDockWidget>
#include <QSignalSpy>
#include <QTest>

#include <utility>

using MainWindowTest = WindowFixture;

TEST_F(MainWindowTest, NoObjectShowsDashesAndTheScreenSaverThreeSecondsAfterTheFirstMeasurement)
{
    start("OBJ,0,0\n");
    clock.advance(10000); // a slow start: the seconds count from the first measurement
    measure(3000 / MeasurementEngine::MEASUREMENT_PERIOD_MS - 1);
    EXPECT_EQ(text("lObjectDetection"), "No Object Detected");
    EXPECT_EQ(text("lbDistance"), "-");
    EXPECT_EQ(legendRow(1), "Confidence: -");
    EXPECT_EQ(bars()->brush().color().alpha(), 0) << "an invisible bar";
    EXPECT_FALSE(shown("gbScreenSaver")) << "presence counts as recent right after start-up";
    measure(3);
    EXPECT_TRUE(shown("gbScreenSaver"));
}

TEST_F(MainWindowTest, PanelsChosenOnceShowDataAtTheNextStart)
{
    start("OBJ,500,40\n");
    window->show();
    child<QDockWidget>("dwHistory")->toggleViewAction()->trigger();
    child<QDockWidget>("dwStatistics")->toggleViewAction()->trigger();

    start("OBJ,500,40\n");
    window->show();
    measure(60);
    EXPECT_TRUE(shown("dwHistory"));
    EXPECT_GT(child<HistoryChart>("plotHistory")->graph(0)->data()->size(), 50);
    EXPECT_NEAR(child<HistoryChart>("plotHistory")->xAxis->range().upper, clock.now() / 1000.0,
                MainWindow::HISTORY_REFRESH_MS / 1000.0);
    QStringList texts;
    for (QLabel* label : child<StatisticsPanel>("statisticsPanel")->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("30.3")) << "measurements per second";
    EXPECT_TRUE(texts.contains("500.0 mm")) << "mean distance";
}

// When live measuring resumes after a replay is the engine's rule; here what the window shows of it.
TEST_F(MainWindowTest, ABadRecordingIsRefusedAndAGoodOneIsCheckedPlayedAndKeptUntilStopped)
{
    start("OBJ,900,40\n");
    const QString path = workDir.filePath("run.csv");
    QString errorText;
    ASSERT_TRUE(window->startRecording(path, false, &errorText));
    measure(90);
    start("OBJ,900,40\n"); // the old window's recording ends with it

    workDir.writeFile("bad.csv", "time,distance\r\n");
    // Why the reader refuses it is the reader's test.
    ASSERT_TRUE(window->engine().playRecording(workDir.filePath("bad.csv"), &errorText));
    QTRY_VERIFY(window->findChild<QMessageBox*>() != nullptr);
    EXPECT_TRUE(window->findChild<QMessageBox*>()->text().startsWith("Cannot play bad.csv, line 1:"));
    EXPECT_EQ(text("lDemoMode"), "Test Mode - No Hardware Connected!") << "nothing of it shown";

    ASSERT_TRUE(window->engine().playRecording(path, &errorText)) << errorText.toStdString();
    EXPECT_EQ(text("lDemoMode"), "Checking run.csv: 0 %");
    QTRY_COMPARE(text("lDemoMode"), QString("Replay - run.csv"));
    clock.advance(90 * 33);
    QTRY_COMPARE(text("lDemoMode"), QString("Replay finished - run.csv"));
    window->engine().stopReplay();
    EXPECT_EQ(text("lDemoMode"), "Test Mode - No Hardware Connected!");
}

// A replay hands over hundreds of samples in one turn of the event loop when they share a time; the window
// takes them all in but draws each plot once for the turn, not once per sample.
TEST_F(MainWindowTest, SamplesArrivingInOneTurnAreDrawnOnce)
{
    start("OBJ,900,40\n");
    // Shown, so that the count holds also once a hidden panel skips its drawing.
    child<QWidget>("gbDistanceGraph")->show();
    // The plots' first drawing settles their tick spacing, which draws them once more.
    measure(1);
    QTest::qWait(10);
    MeasurementSample sample;
    sample.timeMs = clock.now() - 60000;
    sample.hasObject = true;
    sample.rawDistance = 700;
    sample.rawConfidence = 40;
    const int rowCount = 4 * RecordingPlayer::SLICE_SAMPLES;
    QByteArray rows = RecordingFormat::header();
    for (int i = 0; i < rowCount; ++i)
        rows += RecordingFormat::row(sample, 0);
    workDir.writeFile("one-time.csv", rows);

    // A turn that brought samples is counted once its posted events run, where a queued replot runs too.
    int samples = 0;
    int turns = 0;
    bool turnPending = false;
    QObject::connect(&window->engine(), &MeasurementEngine::measured, window.get(),
                     [&]
                     {
                         ++samples;
                         if (std::exchange(turnPending, true))
                             return;
                         QMetaObject::invokeMethod(
                             window.get(),
                             [&]
                             {
                                 turnPending = false;
                                 ++turns;
                             },
                             Qt::QueuedConnection);
                     });
    QSignalSpy distanceReplots(child<QCustomPlot>("plotDistance"), &QCustomPlot::afterReplot);
    QSignalSpy barReplots(child<QCustomPlot>("plotDistanceBar"), &QCustomPlot::afterReplot);
    QString errorText;
    ASSERT_TRUE(window->engine().playRecording(workDir.filePath("one-time.csv"), &errorText));
    QTRY_COMPARE(text("lDemoMode"), QString("Replay finished - one-time.csv"));
    QTest::qWait(10);

    ASSERT_EQ(samples, rowCount);
    ASSERT_GT(turns, 1);
    // The finished replay's read-out is drawn once more.
    EXPECT_LE(distanceReplots.count(), turns + 1);
    EXPECT_LE(barReplots.count(), turns + 1);
}
