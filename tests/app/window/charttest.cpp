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

TEST(ChartExportPathTest, ANameWithoutPngOrPdfGetsTheChosenFiltersExtension)
{
    const struct
    {
        const char* chosen;
        const char* filter;
        const char* written;
    } cases[] = {
        {"/tmp/chart", "PNG image (*.png)", "/tmp/chart.png"},
        {"/tmp/chart", "PDF document (*.pdf)", "/tmp/chart.pdf"},
        // An extension the user typed wins over the filter.
        {"/tmp/chart.PDF", "PNG image (*.png)", "/tmp/chart.PDF"},
        // A dot in a name or folder is no extension.
        {"/tmp/run.2/chart", "PNG image (*.png)", "/tmp/run.2/chart.png"},
        {"/tmp/v1.2", "PDF document (*.pdf)", "/tmp/v1.2.pdf"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChartExport::completedPath(c.chosen, c.filter), c.written) << c.chosen << " " << c.filter;
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
