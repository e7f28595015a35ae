#ifndef NOXGUI_INTENTS_IINTENTGROUP_H
#define NOXGUI_INTENTS_IINTENTGROUP_H

#include "iintentbase.h"

#include <QList>

namespace NoxGui
{
namespace Intents
{

// A titled list of intents and further groups: one menu of a menu tree.
class IIntentGroup : public virtual IIntentBase
{
public:
    virtual QList<IIntentBase*>& items() = 0;
};

} // namespace Intents
} // namespace NoxGui

#endif
