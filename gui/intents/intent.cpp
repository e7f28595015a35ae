#include "intent.h"

#include "intentexecuteparametercheckable.h"
#include "intentmanager.h"

#include <QAction>

#include <memory>

namespace NoxGui
{
namespace Intents
{

Intent::Intent(const char* name, const QString& text, const QIcon& icon, const QString& toolTip,
               bool checkable)
    : itsName(name), itsText(text), itsIcon(icon), itsToolTip(toolTip), itsCheckable(checkable)
{
    IntentManager::instance()->addIntent(this);
}

Intent::~Intent()
{
    IntentManager::instance()->removeIntent(this);
}

void Intent::execute()
{
    std::unique_ptr<IIntentExecuteParameter> parameter;
    if (auto* action = qobject_cast<QAction*>(sender()))
        parameter = std::make_unique<IntentExecuteParameterCheckable>(action->isChecked());
    IntentManager::instance()->execute(this, parameter.get());
}

} // namespace Intents
} // namespace NoxGui
