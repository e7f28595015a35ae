#include "noxstatusfield.h"

namespace NoxGui
{
namespace Controls
{

NoxStatusField::NoxStatusField(QWidget* parent) : QLabel(parent)
{
    appendState(QStringLiteral("unknown"), QStringLiteral("#acb2b7"), QStringLiteral("#ffffff"));
    setState(0);
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

QString NoxStatusField::styleSheetFor(const QString& background, const QString& textColour)
{
    return QStringLiteral("background-color: %1; color: %2;").arg(background, textColour);
}

int NoxStatusField::appendState(const QString& text, const QString& background, const QString& textColour)
{
    itsStates.append({styleSheetFor(background, textColour), text});
    return itsStates.size() - 1;
}

void NoxStatusField::setState(int index)
{
    if (index < 0 || index >= itsStates.size())
        return;
    const State& state = itsStates.at(index);
    setText(state.text);
    setStyleSheet(state.styleSheet);
}

} // namespace Controls
} // namespace NoxGui
