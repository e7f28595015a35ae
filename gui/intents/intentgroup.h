#ifndef NOXGUI_INTENTS_INTENTGROUP_H
#define NOXGUI_INTENTS_INTENTGROUP_H

#include "iintentgroup.h"

namespace NoxGui
{
namespace Intents
{

// A titled list of intents and groups. Holds plain pointers: whoever builds the tree keeps its items alive
// as long as a menu built from it is in use.
class IntentGroup : public virtual IIntentGroup
{
public:
    explicit IntentGroup(const QString& title);

    QString text() const override { return itsTitle; }
    QList<IIntentBase*>& items() override { return itsItems; }

    void addItem(IIntentBase* intentItem);
    // Removes every occurrence.
    void removeItem(IIntentBase* intentItem);

private:
    QString itsTitle;
    QList<IIntentBase*> itsItems;
};

} // namespace Intents
} // namespace NoxGui

#endif
