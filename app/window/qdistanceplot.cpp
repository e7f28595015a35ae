#include "qdistanceplot.h"

#include "measurementprocessor.h"

QDistancePlot::QDistancePlot(QWidget* parent) : QCustomPlot(parent)
{
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
}

void QDistancePlot::updateGraph(const MeasurementProcessor& processor)
{
    itsGraph->setData(processor.timeSeries(), processor.distanceSeries(), false);
}
