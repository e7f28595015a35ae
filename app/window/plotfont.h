#ifndef LIDORA_PLOTFONT_H
#define LIDORA_PLOTFONT_H

#include <QFont>

class QCustomPlot;

// The charts' text in a family named, not left to the system: Arial, which every Windows has, or the sans
// serif fonts Linux desktops have. Left to the system, Wine's fontconfig once chose a symbol font for
// QCustomPlot's text.
class PlotFont
{
public:
    // The chart font at the plot's own size, scaled.
    static QFont of(const QCustomPlot& plot, double scale = 1.0);
    // Gives the plot's axes (labels and ticks) and its legend the chart font; legend items made later
    // take the legend's.
    static void apply(QCustomPlot& plot);
};

#endif
