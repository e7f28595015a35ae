#ifndef LIDORA_QDISTANCEPLOT_H
#define LIDORA_QDISTANCEPLOT_H

#include <QPen>

#include <qcustomplot.h>

class MeasurementProcessor;

// The distance-over-time chart of the measurement panel: the median distance of the processor's newest
// samples over their age. Only shows; the measurements and their processing live in MeasurementCycle.
class QDistancePlot : public QCustomPlot
{
    Q_OBJECT

public:
    explicit QDistancePlot(QWidget* parent);

    // Hands the ages (keys) and the median distances (values) of the processor's samples to the graph.
    void updateGraph(const MeasurementProcessor& processor);

private:
    QPen itsGraphPen;
    QCPGraph* itsGraph = nullptr;
};

#endif
