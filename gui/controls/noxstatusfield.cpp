#include "noxstatusfield.h"

#include "Communication/nodestatemanager.h"

namespace NoxGui
{
namespace Controls
{

namespace
{

const QString WHITE = QStringLiteral("#ffffff");
const QString GREY = QStringLiteral("#acb2b7");
const QString GREEN = QStringLiteral("#009f69");
const QString RED = QStringLiteral("#df5353");

} // namespace

NoxStatusField::NoxStatusField(QWidget* parent) : QLabel(parent)
{
    appendState(QStringLiteral("unknown"), GREY, WHITE);
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
    if (itsShowText)
        setText(state.text);
    setStyleSheet(state.styleSheet);
}

bool NoxStatusField::setNodeStateManager(NoxCore::Communication::NodeStateManager* manager)
{
    clearNodeStateManager();
    itsNodeStateManager = manager;
    if (manager == nullptr)
        return false;

    // Indexed by the node state values, so a state change selects its entry directly.
    itsShowText = false;
    itsStates.clear();
    appendState(QStringLiteral("unknown"), GREY, WHITE);
    appendState(QStringLiteral("opening"), GREEN, WHITE);
    appendState(QStringLiteral("open"), GREEN, WHITE);
    appendState(QStringLiteral("closing"), RED, WHITE);
    appendState(QStringLiteral("closed"), RED, WHITE);
    connect(manager, &NoxCore::Communication::NodeStateManager::stateChanged, this,
            &NoxStatusField::onStateChanged);
    return true;
}

bool NoxStatusField::clearNodeStateManager()
{
    if (itsNodeStateManager == nullptr)
        return false;
    disconnect(itsNodeStateManager, &NoxCore::Communication::NodeStateManager::stateChanged, this,
               &NoxStatusField::onStateChanged);
    itsNodeStateManager = nullptr;
    return true;
}

void NoxStatusField::onStateChanged(NoxCore::Communication::NodeStateContext, int, int currentState)
{
    setState(currentState);
}

} // namespace Controls
} // namespace NoxGui
