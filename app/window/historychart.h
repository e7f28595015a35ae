#ifndef LIDORA_HISTORYCHART_H
#define LIDORA_HISTORYCHART_H

#include "measurementsample.h"

#include <qcustomplot.h>

// The last WINDOW_S seconds of measurements: raw distance, median distance in the colour of the object
// state, smoothed confidence on the right-hand axis, and the zone limits as guide lines. Takes every sample
// as it comes (cheap: one point per graph) and draws only on refresh(), so the caller decides how often.
class HistoryChart : public QCustomPlot
{
    Q_OBJECT

public:
    static constexpr double WINDOW_S = 30.0;

    explicit HistoryChart(QWidget* parent = nullptr);

    void clear();
    // Moves the time axis to the newest sample and draws, when the chart is on screen.
    void refresh();

public slots:
    void addSample(const MeasurementSample& sample);

private:
    QCPGraph* itsRawGraph = nullptr;
    QCPGraph* itsConfidenceGraph = nullptr;
    // One median graph per object state; a graph holds the stretches in its state, with gaps between.
    QCPGraph* itsStateGraphs[OBJECT_STATE_COUNT] = {};
    int itsLastState = -1;
    double itsNewestKey = 0.0;
};

#endif
