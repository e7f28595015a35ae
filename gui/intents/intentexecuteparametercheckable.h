#ifndef NOXGUI_INTENTS_INTENTEXECUTEPARAMETERCHECKABLE_H
#define NOXGUI_INTENTS_INTENTEXECUTEPARAMETERCHECKABLE_H

#include "iintentexecuteparameter.h"

namespace NoxGui
{
namespace Intents
{

// The checked state of the menu entry that triggered a checkable intent.
class IntentExecuteParameterCheckable : public IIntentExecuteParameter
{
public:
    explicit IntentExecuteParameterCheckable(bool checked) : itsChecked(checked) {}
    bool isChecked() const { return itsChecked; }

private:
    bool itsChecked;
};

} // namespace Intents
} // namespace NoxGui

#endif
