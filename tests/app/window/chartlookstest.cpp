#include "chartexport.h"
#include "historychart.h"

#include "support/qtprinters.h"
#include "windowfixture.h"

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QFontMetrics>
#include <QImage>

#include <limits>

// The charts as a user sees them with every panel shown, at the window's smallest size and a common one.
class ChartLooksTest : public WindowFixture, public ::testing::WithParamInterface<QSize>
{
protected:
    void SetUp() override
    {
        start("OBJ,500,40\n");
        window->resize(GetParam());
        window->show();
        for (const char* dock : {"dwHistory", "dwStatistics", "dwMeasurement"})
        {
            if (!shown(dock))
                child<QDockWidget>(dock)->toggleViewAction()->trigger();
        }
        measure(60);
        QApplication::processEvents();
    }
};

TEST_P(ChartLooksTest, TimeLabelsStayAtLeastACharacterApart)
{
    for (const char* name : {"plotHistory", "plotDistance"})
    {
        auto* plot = child<QCustomPlot>(name);
        // The second replot draws the ticks that fit the width the first one laid out.
        plot->replot();
        plot->replot();
        const QCPAxis* axis = plot->xAxis;
        const QFontMetrics metrics(axis->tickLabelFont());
        double previousRight = -std::numeric_limits<double>::infinity();
        int labels = 0;
        for (int i = 0; i < axis->tickVector().size(); ++i)
        {
            if (!axis->range().contains(axis->tickVector().at(i)))
                continue;
            const QString label = axis->tickVectorLabels().at(i);
            const double centre = axis->coordToPixel(axis->tickVector().at(i));
            const double halfWidth = metrics.horizontalAdvance(label) / 2.0;
            EXPECT_GE(centre - halfWidth - previousRight, metrics.averageCharWidth())
                << name << " at " << label.toStdString();
            previousRight = centre + halfWidth;
            ++labels;
        }
        // A panel too narrow for two labels shows one, never two on top of each other.
        EXPECT_GE(labels, 1) << name;
    }
}

TEST_P(ChartLooksTest, HistoryLegendShowsEveryNameWhole)
{
    auto* history = child<HistoryChart>("plotHistory");
    history->replot();
    for (int i = 0; i < history->legend->itemCount(); ++i)
    {
        QCPAbstractLegendItem* item = history->legend->item(i);
        if (item == nullptr)
            continue; // an empty cell of a wrapped legend
        EXPECT_GE(item->outerRect().width(), item->minimumOuterSizeHint().width()) << "item " << i;
        EXPECT_LE(item->outerRect().right(), history->width()) << "item " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, ChartLooksTest, ::testing::Values(QSize(1024, 640), QSize(1280, 800)),
                         [](const ::testing::TestParamInfo<QSize>& size) {
                             return std::to_string(size.param.width()) + "x" +
                                    std::to_string(size.param.height());
                         });

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
    EXPECT_TRUE(chartExport->save(workDir.filePath("chart.pdf"), &reason)) << reason.toStdString();
    QFile pdf(workDir.filePath("chart.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));

    EXPECT_FALSE(chartExport->save(workDir.filePath("missing/chart.png"), &reason));
    EXPECT_FALSE(reason.isEmpty());
}
