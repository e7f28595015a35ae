#include "tickspacing.h"

#include <QFontMetrics>

#include <qcustomplot.h>

double TickSpacing::fittingStep(const QCPAxis& axis, const std::vector<double>& steps,
                                const QString& widestLabel)
{
    const QFontMetrics metrics(axis.tickLabelFont());
    const double neededPx = metrics.horizontalAdvance(widestLabel) + metrics.height();
    const double pxPerUnit = axis.axisRect()->width() / axis.range().size();
    for (double step : steps)
    {
        if (step * pxPerUnit >= neededPx)
            return step;
    }
    return steps.back();
}
