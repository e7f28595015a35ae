#include "plotfont.h"

#include <qcustomplot.h>

QFont PlotFont::of(const QCustomPlot& plot, double scale)
{
    QFont font = plot.font();
    font.setFamily(QStringLiteral("Arial"));
    font.setFamilies(
        {QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

void PlotFont::apply(QCustomPlot& plot)
{
    const QFont font = of(plot);
    for (QCPAxis* axis : plot.axisRect()->axes())
    {
        axis->setLabelFont(font);
        axis->setTickLabelFont(font);
    }
    plot.legend->setFont(font);
}
