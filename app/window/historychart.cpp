#include "historychart.h"

#include <cmath>
#include <limits>

namespace
{

// The zone limits of the object states, in mm.
const double GUIDE_LINES_MM[] = {200.0, 1000.0, 2500.0};
const double DISTANCE_AXIS_MIN_MM = 3000.0;
const double HEADROOM = 1.05;
const double CONFIDENCE_AXIS_MAX = 64.0;
const double NO_VALUE = std::numeric_limits<double>::quiet_NaN();

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
    setNoAntialiasingOnDrag(true);
    QSharedPointer<QCPAxisTickerDateTime> ticker(new QCPAxisTickerDateTime);
    ticker->setDateTimeFormat(QStringLiteral("mm:ss"));
    // Few, short time labels, so that they stay apart in a narrow panel too.
    ticker->setTickCount(4);
    xAxis->setTicker(ticker);
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
    QFont legendFont = font();
    legendFont.setPointSizeF(legendFont.pointSizeF() * 0.85);
    legend->setFont(legendFont);
    legend->setIconSize(14, 8);
    legend->setColumnSpacing(4);
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, legend);
    plotLayout()->setRowStretchFactor(0, 0.001);
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
        graph(i)->data()->removeBefore(oldestKey);
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
