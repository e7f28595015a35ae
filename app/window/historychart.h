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
    // Live measurements bring about 900 points per graph in the window. A replay of rows that share one
    // time brings any number at the same key, and every draw goes through them all: beyond this many, only
    // the newest are kept, which draw the same vertical stroke.
    static constexpr int MAX_POINTS = 2000;

    explicit HistoryChart(QWidget* parent = nullptr);

    void clear();
    // Moves the time axis to the newest sample and draws, when the chart is on screen.
    void refresh();

public slots:
    void addSample(const MeasurementSample& sample);

private slots:
    void wrapLegend();
    void spaceTimeTicks();

private:
    QSharedPointer<QCPAxisTickerDateTime> itsTimeTicker;
    QCPGraph* itsRawGraph = nullptr;
    QCPGraph* itsConfidenceGraph = nullptr;
    // One median graph per object state; a graph holds the stretches in its state, with gaps between.
    QCPGraph* itsStateGraphs[OBJECT_STATE_COUNT] = {};
    int itsLastState = -1;
    double itsNewestKey = 0.0;
};

#endif
