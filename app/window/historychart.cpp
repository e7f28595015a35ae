#include "historychart.h"

#include "plotfont.h"
#include "tickspacing.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace
{

// The zone limits of the object states, in mm.
const double GUIDE_LINES_MM[] = {200.0, 1000.0, 2500.0};
const double DISTANCE_AXIS_MIN_MM = 3000.0;
const double HEADROOM = 1.05;
const double CONFIDENCE_AXIS_MAX = 64.0;
const double NO_VALUE = std::numeric_limits<double>::quiet_NaN();
// Steps that divide the window evenly, so that the ticker's own choice lands exactly on them.
const std::vector<double> TICK_STEPS_S = {5.0, 10.0, 15.0, 30.0};
const QString TIME_FORMAT = QStringLiteral("hh:mm:ss");
const QString WIDEST_TIME_LABEL = QStringLiteral("00:00:00");

struct StateLine
{
    const char* name;
    QColor colour;
};

// The read-out's colours, opaque, so that the line reads like the state label; no object in grey.
const StateLine STATE_LINES[OBJECT_STATE_COUNT] = {
    {"No object", QColor(150, 150, 150)}, {"Too close", QColor(200, 10, 10)},
    {"Presence", QColor(10, 140, 10)},    {"Far", QColor(10, 10, 140)},
    {"Static", QColor(0, 0, 0)},
};

} // namespace

HistoryChart::HistoryChart(QWidget* parent) : QCustomPlot(parent)
{
    PlotFont::apply(*this);
    setNoAntialiasingOnDrag(true);
    // The samples' clock time in full, so that it cannot be read as hours and minutes.
    itsTimeTicker.reset(new QCPAxisTickerDateTime);
    itsTimeTicker->setDateTimeFormat(TIME_FORMAT);
    itsTimeTicker->setTickCount(1);
    xAxis->setTicker(itsTimeTicker);
    xAxis->setLabel(QStringLiteral("Time [%1]").arg(TIME_FORMAT));
    yAxis->setLabel(QStringLiteral("Distance [mm]"));
    yAxis2->setVisible(true);
    yAxis2->setLabel(QStringLiteral("Confidence [-]"));
    yAxis2->setRange(0.0, CONFIDENCE_AXIS_MAX);

    for (double limitMm : GUIDE_LINES_MM)
    {
        auto* line = new QCPItemStraightLine(this);
        line->point1->setCoords(0.0, limitMm);
        line->point2->setCoords(1.0, limitMm);
        line->setPen(QPen(QColor(120, 120, 120), 1.0, Qt::DashLine));
    }

    itsRawGraph = addGraph();
    itsRawGraph->setName(QStringLiteral("Raw"));
    itsRawGraph->setPen(QPen(QColor(190, 190, 190), 1.0));
    itsConfidenceGraph = addGraph(xAxis, yAxis2);
    itsConfidenceGraph->setName(QStringLiteral("Confidence"));
    itsConfidenceGraph->setPen(QPen(QColor(230, 140, 0), 1.0));
    for (int state = 0; state < OBJECT_STATE_COUNT; ++state)
    {
        itsStateGraphs[state] = addGraph();
        itsStateGraphs[state]->setName(QString::fromLatin1(STATE_LINES[state].name));
        itsStateGraphs[state]->setPen(QPen(STATE_LINES[state].colour, 2.0));
    }

    // One line of legend above the chart, so that it never covers the newest samples.
    legend->setVisible(true);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setBorderPen(Qt::NoPen);
    legend->setFont(PlotFont::of(*this, 0.85));
    legend->setIconSize(14, 8);
    legend->setColumnSpacing(4);
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, legend);
    plotLayout()->setRowStretchFactor(0, 0.001);

    connect(this, &QCustomPlot::beforeReplot, this, &HistoryChart::wrapLegend);
    connect(this, &QCustomPlot::afterLayout, this, &HistoryChart::spaceTimeTicks);
}

void HistoryChart::wrapLegend()
{
    // As many columns as the widest row of names lets fit, so that no name is cut in a narrow panel. A
    // wrapped legend counts its empty cells as items: only the real ones count here.
    std::vector<int> itemWidths;
    for (int i = 0; i < legend->itemCount(); ++i)
    {
        if (QCPAbstractLegendItem* item = legend->item(i))
            itemWidths.push_back(item->minimumOuterSizeHint().width());
    }
    const QMargins margins = legend->margins();
    int columns = int(itemWidths.size());
    for (; columns > 1; --columns)
    {
        std::vector<int> columnWidths(size_t(columns), 0);
        for (size_t i = 0; i < itemWidths.size(); ++i)
            columnWidths[i % size_t(columns)] = std::max(columnWidths[i % size_t(columns)], itemWidths[i]);
        const int rowWidth = std::accumulate(columnWidths.begin(), columnWidths.end(), 0) +
                             (columns - 1) * legend->columnSpacing() + margins.left() + margins.right();
        if (rowWidth <= width())
            break;
    }
    if (columns != legend->wrap())
    {
        legend->setWrap(columns);
        legend->setFillOrder(QCPLayoutGrid::foColumnsFirst, true);
    }
}

void HistoryChart::spaceTimeTicks()
{
    // The ticks of this replot are already made: a new step shows from the next one, queued here so that a
    // resized chart without new samples still gets it.
    const double step = TickSpacing::fittingStep(*xAxis, TICK_STEPS_S, WIDEST_TIME_LABEL);
    const int tickCount = int(std::lround(WINDOW_S / step));
    if (tickCount == itsTimeTicker->tickCount())
        return;
    itsTimeTicker->setTickCount(tickCount);
    replot(QCustomPlot::rpQueuedReplot);
}

void HistoryChart::clear()
{
    for (int i = 0; i < graphCount(); ++i)
        graph(i)->data()->clear();
    itsLastState = -1;
}

void HistoryChart::addSample(const MeasurementSample& sample)
{
    itsNewestKey = double(sample.timeMs) / 1000.0;
    const double key = itsNewestKey;
    itsRawGraph->addData(key, sample.hasObject ? double(sample.rawDistance) : NO_VALUE);
    itsConfidenceGraph->addData(key, sample.smoothedConfidence);
    // The sample where the state changes ends the old state's stretch and starts the new one, so the line
    // runs on without a gap and only changes colour. A gap value ends a stretch in the graph that leaves it.
    for (int state = 0; state < OBJECT_STATE_COUNT; ++state)
    {
        if (state == sample.objectState || state == itsLastState)
            itsStateGraphs[state]->addData(key, sample.medianDistance);
        else if (!itsStateGraphs[state]->data()->isEmpty() &&
                 !std::isnan((itsStateGraphs[state]->data()->constEnd() - 1)->value))
            itsStateGraphs[state]->addData(key, NO_VALUE);
    }
    itsLastState = sample.objectState;

    const double oldestKey = key - WINDOW_S;
    for (int i = 0; i < graphCount(); ++i)
    {
        QSharedPointer<QCPGraphDataContainer> data = graph(i)->data();
        data->removeBefore(oldestKey);
        // Cut back only at twice the limit, so that the copy costs each sample a constant share.
        if (data->size() > 2 * MAX_POINTS)
        {
            const QVector<QCPGraphData> newest(data->constEnd() - MAX_POINTS, data->constEnd());
            data->set(newest, true);
        }
    }
}

void HistoryChart::refresh()
{
    if (!isVisible())
        return;
    xAxis->setRange(itsNewestKey - WINDOW_S, itsNewestKey);
    bool found = false;
    const QCPRange raw = itsRawGraph->getValueRange(found);
    yAxis->setRange(0.0, std::max(DISTANCE_AXIS_MIN_MM, found ? raw.upper * HEADROOM : 0.0));
    replot(QCustomPlot::rpRefreshHint);
}
