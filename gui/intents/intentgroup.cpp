#include "intentgroup.h"

#include "Tools/noxassert.h"

namespace NoxGui
{
namespace Intents
{

IntentGroup::IntentGroup(const QString& title) : itsTitle(title) {}

void IntentGroup::addItem(IIntentBase* intentItem)
{
    NOX_ASSERT(intentItem != NULL, "intentItem is Null!");
    itsItems.append(intentItem);
}

void IntentGroup::removeItem(IIntentBase* intentItem)
{
    NOX_ASSERT(intentItem != NULL, "intentItem is Null!");
    itsItems.removeAll(intentItem);
}

} // namespace Intents
} // namespace NoxGui
