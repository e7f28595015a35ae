#ifndef NOXGUI_CONTROLS_NOXSTATUSFIELD_H
#define NOXGUI_CONTROLS_NOXSTATUSFIELD_H

#include <QLabel>
#include <QList>

namespace NoxGui
{
namespace Controls
{

// A label that shows one of a list of states as a coloured badge. Every field starts with state 0,
// "unknown" on grey; owners append further states and select them by index.
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

private:
    struct State
    {
        QString styleSheet;
        QString text;
    };

    QList<State> itsStates;
};

} // namespace Controls
} // namespace NoxGui

#endif
