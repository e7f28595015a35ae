#ifndef NOXGUI_INTENTS_IINTENTEXECUTEPARAMETER_H
#define NOXGUI_INTENTS_IINTENTEXECUTEPARAMETER_H

namespace NoxGui
{
namespace Intents
{

// What an executor slot receives besides the call itself; executors that need details cast it to the
// concrete parameter (IntentExecuteParameterCheckable). Never kept beyond the call.
class IIntentExecuteParameter
{
public:
    virtual ~IIntentExecuteParameter() = default;
};

} // namespace Intents
} // namespace NoxGui

#endif
