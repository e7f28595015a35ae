#ifndef LIDORA_TICKSPACING_H
#define LIDORA_TICKSPACING_H

#include <QString>

#include <vector>

class QCPAxis;

// Keeps an axis's tick labels apart in a narrow panel: of the tick steps offered (smallest first), the
// smallest whose labels, as wide as widestLabel, leave at least a line's height of room between each other
// on the axis as it is laid out now. The largest step when none does.
class TickSpacing
{
public:
    static double fittingStep(const QCPAxis& axis, const std::vector<double>& steps,
                              const QString& widestLabel);
};

#endif
