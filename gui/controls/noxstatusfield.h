#ifndef NOXGUI_CONTROLS_NOXSTATUSFIELD_H
#define NOXGUI_CONTROLS_NOXSTATUSFIELD_H

#include "Communication/nodestatecontext.h"

#include <QLabel>
#include <QList>

namespace NoxCore
{
namespace Communication
{
class NodeStateManager;
}
} // namespace NoxCore

namespace NoxGui
{
namespace Controls
{

// A label that shows one of a list of states as a coloured badge. Every field starts with state 0,
// "unknown" on grey; owners append further states and select them by index, or let the field follow a
// communication node's state manager: then it keeps its own text and takes the colour of each node state.
// The manager is not owned; clear it before the manager goes.
class NoxStatusField : public QLabel
{
    Q_OBJECT

public:
    explicit NoxStatusField(QWidget* parent = nullptr);

    // "background-color: <background>; color: <text>;"
    static QString styleSheetFor(const QString& background, const QString& textColour);

    // Adds a state behind the existing ones and returns its index.
    int appendState(const QString& text, const QString& background, const QString& textColour);
    int stateCount() const { return itsStates.size(); }

    // Applies a state; an index without a state changes nothing.
    void setState(int index);

    // Replaces the states by the five node states and follows the manager's state changes from the next
    // one on. False for null (a manager followed until then is released all the same).
    bool setNodeStateManager(NoxCore::Communication::NodeStateManager* manager);
    // False when no manager was followed.
    bool clearNodeStateManager();

public slots:
    void onStateChanged(NoxCore::Communication::NodeStateContext context, int previousState,
                        int currentState);

private:
    struct State
    {
        QString styleSheet;
        QString text;
    };

    QList<State> itsStates;
    bool itsShowText = true;
    NoxCore::Communication::NodeStateManager* itsNodeStateManager = nullptr;
};

} // namespace Controls
} // namespace NoxGui

#endif
