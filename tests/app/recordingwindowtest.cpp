#include "historychart.h"
#include "statisticspanel.h"

#include "support/qtprinters.h"
#include "windowfixture.h"

#include <QAction>
#include <QDockWidget>
#include <QTest>

#include <gtest/gtest.h>

using RecordingWindowTest = WindowFixture;

TEST_F(RecordingWindowTest, PanelsChosenOnceShowDataAtTheNextStart)
{
    start("OBJ,500,40\n");
    window->show();
    EXPECT_FALSE(shown("dwHistory")) << "the default look stays as it was";
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

TEST_F(RecordingWindowTest, ABadRecordingIsRefusedAndAGoodOnePlaysAndReturnsToLiveMeasuring)
{
    start("OBJ,900,40\n");
    const QString path = workDir.filePath("run.csv");
    QString errorText;
    ASSERT_TRUE(window->startRecording(path, false, &errorText));
    measure(90);
    EXPECT_FALSE(window->startRecording(path, false, &errorText)) << "not over the running one";
    window->close();
    start("OBJ,900,40\n");
    EXPECT_FALSE(window->startRecording(path, false, &errorText));
    EXPECT_EQ(errorText, path + " exists already");

    workDir.writeFile("bad.csv", "time,distance\r\n");
    EXPECT_FALSE(window->playRecording(workDir.filePath("bad.csv"), &errorText));
    EXPECT_TRUE(errorText.startsWith("Cannot play bad.csv, line 1: not a recording"))
        << errorText.toStdString();
    EXPECT_EQ(text("lDemoMode"), "Test Mode - No Hardware Connected!") << "nothing of it shown";

    ASSERT_TRUE(window->playRecording(path, &errorText)) << errorText.toStdString();
    EXPECT_EQ(text("lDemoMode"), "Replay - run.csv");
    QTRY_VERIFY(window->cycle().sample().source == MeasurementSource::Recording);
    measure(1);
    EXPECT_EQ(window->cycle().sample().source, MeasurementSource::Recording) << "live measuring waits";
    clock.advance(90 * 33);
    QTRY_COMPARE(text("lDemoMode"), QString("Test Mode - No Hardware Connected!"));
    measure(1);
    EXPECT_EQ(window->cycle().sample().source, MeasurementSource::TestScript);
}
