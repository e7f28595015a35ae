#include "qdistanceplot.h"

#include "measurementprocessor.h"
#include "plotfont.h"
#include "tickspacing.h"

namespace
{

// Whole and half seconds: ages read at a glance.
const std::vector<double> TICK_STEPS_MS = {500.0, 1000.0, 1500.0, 3000.0};
const QString WIDEST_TICK_LABEL = QStringLiteral("-3000");

} // namespace

QDistancePlot::QDistancePlot(QWidget* parent) : QCustomPlot(parent)
{
    PlotFont::apply(*this);
    // The value scale sits on the right; the top and right axes mirror the bottom and left ones.
    yAxis->setVisible(false);
    yAxis2->setVisible(true);
    connect(xAxis, QOverload<const QCPRange&>::of(&QCPAxis::rangeChanged), xAxis2,
            QOverload<const QCPRange&>::of(&QCPAxis::setRange));
    connect(yAxis, QOverload<const QCPRange&>::of(&QCPAxis::rangeChanged), yAxis2,
            QOverload<const QCPRange&>::of(&QCPAxis::setRange));

    itsGraphPen = QPen(Qt::gray);
    itsGraphPen.setWidthF(2.0);
    xAxis->setLabel(QStringLiteral("Elapsed Time [ms]"));
    yAxis2->setLabel(QStringLiteral("Distance [mm]"));

    clearGraphs();
    itsGraph = addGraph();
    itsGraph->setPen(itsGraphPen);
    itsGraph->setLineStyle(QCPGraph::lsStepLeft);

    itsTimeTicker.reset(new QCPAxisTickerFixed);
    itsTimeTicker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    itsTimeTicker->setTickStep(TICK_STEPS_MS.back());
    xAxis->setTicker(itsTimeTicker);
    connect(this, &QCustomPlot::afterLayout, this, &QDistancePlot::spaceTimeTicks);
}

void QDistancePlot::spaceTimeTicks()
{
    // The ticks of this replot are already made: a new step shows from the next one, queued here so that a
    // resized plot that does not move still gets it.
    const double step = TickSpacing::fittingStep(*xAxis, TICK_STEPS_MS, WIDEST_TICK_LABEL);
    if (step == itsTimeTicker->tickStep())
        return;
    itsTimeTicker->setTickStep(step);
    replot(QCustomPlot::rpQueuedReplot);
}

void QDistancePlot::updateGraph(const MeasurementProcessor& processor)
{
    itsGraph->setData(processor.timeSeries(), processor.distanceSeries(), false);
}
