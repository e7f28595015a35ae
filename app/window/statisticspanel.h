#ifndef LIDORA_STATISTICSPANEL_H
#define LIDORA_STATISTICSPANEL_H

#include "measurementstatistics.h"

#include <QWidget>

class QLabel;

// Shows MeasurementStatistics as a small table: one column for the last seconds, one since the start.
class StatisticsPanel : public QWidget
{
    Q_OBJECT

public:
    explicit StatisticsPanel(QWidget* parent = nullptr);

    // Rewrites the figures, when the panel is on screen.
    void refresh(const MeasurementStatistics& statistics);

private:
    enum Row
    {
        RATE,
        FAILED,
        MEAN,
        DEVIATION,
        MINIMUM,
        MAXIMUM,
        FIRST_STATE,
        ROW_COUNT = FIRST_STATE + OBJECT_STATE_COUNT
    };

    void showSummary(int column, const MeasurementStatistics::Summary& summary);

    QLabel* itsValues[ROW_COUNT][2] = {};
};

#endif
