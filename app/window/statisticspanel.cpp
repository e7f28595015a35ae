#include "statisticspanel.h"

#include <QGridLayout>
#include <QLabel>

namespace
{

const char* const ROW_NAMES[] = {"Measurements per second", "Failed exchanges",      "Mean distance",
                                 "Standard deviation",      "Minimum distance",      "Maximum distance",
                                 "No Object Detected",      "Object Too Close",      "Presence Detected",
                                 "Far Object Detected",     "Static Object Detected"};

QString millimetres(double value)
{
    return QStringLiteral("%1 mm").arg(value, 0, 'f', 1);
}

} // namespace

StatisticsPanel::StatisticsPanel(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QGridLayout(this);
    layout->setVerticalSpacing(2);
    layout->addWidget(
        new QLabel(QStringLiteral("<b>Last %1 s</b>").arg(MeasurementStatistics::RECENT_WINDOW_MS / 1000),
                   this),
        0, 1, Qt::AlignRight);
    layout->addWidget(new QLabel(QStringLiteral("<b>Since start</b>"), this), 0, 2, Qt::AlignRight);
    for (int row = 0; row < ROW_COUNT; ++row)
    {
        // The states' rows give the share of time in the state, in per cent.
        layout->addWidget(new QLabel(QString::fromLatin1(ROW_NAMES[row]), this), row + 1, 0);
        for (int column = 0; column < 2; ++column)
        {
            itsValues[row][column] = new QLabel(QStringLiteral("-"), this);
            layout->addWidget(itsValues[row][column], row + 1, column + 1, Qt::AlignRight);
        }
    }
    layout->setRowStretch(ROW_COUNT + 1, 1);
}

void StatisticsPanel::refresh(const MeasurementStatistics& statistics)
{
    if (!isVisible())
        return;
    showSummary(0, statistics.recent());
    showSummary(1, statistics.sinceStart());
}

void StatisticsPanel::showSummary(int column, const MeasurementStatistics::Summary& summary)
{
    const bool distances = summary.objectSamples > 0;
    const QString none = QStringLiteral("-");
    const QString texts[FIRST_STATE] = {
        QString::number(summary.ratePerSecond(), 'f', 1),
        QString::number(summary.failedExchanges),
        distances ? millimetres(summary.meanMm) : none,
        summary.objectSamples > 1 ? millimetres(summary.standardDeviationMm) : none,
        distances ? QStringLiteral("%1 mm").arg(summary.minimumMm) : none,
        distances ? QStringLiteral("%1 mm").arg(summary.maximumMm) : none,
    };
    for (int row = 0; row < FIRST_STATE; ++row)
        itsValues[row][column]->setText(texts[row]);
    for (int state = 0; state < OBJECT_STATE_COUNT; ++state)
        itsValues[FIRST_STATE + state][column]->setText(
            QStringLiteral("%1 %").arg(100.0 * summary.stateShare(state), 0, 'f', 1));
}
