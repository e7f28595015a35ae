#include "barcreator.h"

#include "intents/iintent.h"
#include "intents/iintentgroup.h"

#include "Tools/noxassert.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace NoxGui
{
namespace BarCreator
{

namespace
{

// At the top level there is no menu yet and entries go into the bar itself.
void fill(QMenuBar* menuBar, QMenu* menu, Intents::IIntentGroup* group)
{
    const QList<Intents::IIntentBase*> items = group->items();
    for (Intents::IIntentBase* item : items)
    {
        if (auto* intent = dynamic_cast<Intents::IIntent*>(item))
        {
            QAction* action = menu ? menu->addAction(intent->text()) : menuBar->addAction(intent->text());
            action->setToolTip(intent->toolTip());
            action->setStatusTip(intent->toolTip());
            action->setCheckable(intent->isCheckable());
            if (auto* intentObject = dynamic_cast<QObject*>(intent))
                QObject::connect(action, SIGNAL(triggered()), intentObject, SLOT(execute()));
        }
        else if (auto* subGroup = dynamic_cast<Intents::IIntentGroup*>(item))
        {
            QMenu* subMenu = menu ? menu->addMenu(subGroup->text()) : menuBar->addMenu(subGroup->text());
            fill(menuBar, subMenu, subGroup);
        }
    }
}

} // namespace

void createMenuBar(QMenuBar* menuBar, Intents::IIntentGroup* intentGroup)
{
    NOX_ASSERT(menuBar != NULL, "menuBar is Null!");
    NOX_ASSERT(intentGroup != NULL, "intentGroup is Null!");
    fill(menuBar, nullptr, intentGroup);
}

} // namespace BarCreator
} // namespace NoxGui
