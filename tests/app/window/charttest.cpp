#include "chartexport.h"
#include "historychart.h"

#include "support/qtprinters.h"
#include "windowfixture.h"

#include <QImage>

// A replay of rows that share one time once left every one of them in the chart, and each draw went through
// them all: the window stood still for up to half a second at a time.
TEST(HistoryChartTest, RowsSharingOneTimeKeepTheChartsPointsBounded)
{
    HistoryChart chart;
    MeasurementSample sample;
    sample.timeMs = 1796000000000;
    sample.hasObject = true;
    const int rowCount = 5 * HistoryChart::MAX_POINTS;
    for (int i = 0; i < rowCount; ++i)
    {
        sample.rawDistance = quint16(i % 1000);
        chart.addSample(sample);
    }
    for (int i = 0; i < chart.graphCount(); ++i)
        EXPECT_LE(chart.graph(i)->data()->size(), 2 * HistoryChart::MAX_POINTS) << "graph " << i;
    EXPECT_EQ((chart.graph(0)->data()->constEnd() - 1)->value, (rowCount - 1) % 1000) << "the newest is kept";
}

using ChartExportTest = WindowFixture;

TEST_F(ChartExportTest, WritesAPictureOrGivesTheReason)
{
    start("OBJ,500,40\n");
    window->show();
    measure(10);
    auto* chartExport = window->findChild<ChartExport*>();
    ASSERT_NE(chartExport, nullptr);

    QString reason;
    EXPECT_TRUE(chartExport->save(workDir.filePath("chart.png"), &reason)) << reason.toStdString();
    EXPECT_FALSE(QImage(workDir.filePath("chart.png")).isNull());

    EXPECT_FALSE(chartExport->save(workDir.filePath("missing/chart.png"), &reason));
    EXPECT_FALSE(reason.isEmpty());
}
