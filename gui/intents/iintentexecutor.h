#ifndef NOXGUI_INTENTS_IINTENTEXECUTOR_H
#define NOXGUI_INTENTS_IINTENTEXECUTOR_H

#include <QObject>

namespace NoxGui
{
namespace Intents
{

// Marks a QObject that serves intents through slots named "<intent>_execute" taking one
// IIntentExecuteParameter*, and "<intent>_update" taking a bool*.
class IIntentExecutor
{
public:
    virtual ~IIntentExecutor() = default;
};

} // namespace Intents
} // namespace NoxGui

Q_DECLARE_INTERFACE(NoxGui::Intents::IIntentExecutor, "NoxGui::Intents::IIntentExecutor")

#endif
