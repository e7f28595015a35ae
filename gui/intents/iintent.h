#ifndef NOXGUI_INTENTS_IINTENT_H
#define NOXGUI_INTENTS_IINTENT_H

#include "iintentbase.h"

#include <QIcon>
#include <QObject>

namespace NoxGui
{
namespace Intents
{

// A named user command. Whoever serves it declares a slot "<name>_execute" (see IntentManager), so the
// menu that offers a command needs no compile-time link to the object that carries it out.
class IIntent : public virtual IIntentBase
{
public:
    virtual const char* name() const = 0;
    virtual QString toolTip() const = 0;
    virtual QIcon icon() const = 0;
    virtual bool isCheckable() const = 0;
    virtual void execute() = 0;
};

} // namespace Intents
} // namespace NoxGui

Q_DECLARE_INTERFACE(NoxGui::Intents::IIntent, "IIntent")

#endif
