#include "traceviewer.h"

#include "Communication/commandinfo.h"
#include "Communication/commandmanager.h"
#include "Tools/noxassert.h"
#include "commandlist.h"

namespace NoxCore
{
namespace Tracing
{

using Communication::CommandInfo;

TraceViewer::TraceViewer(QObject* parent) : QObject(parent) {}

TraceViewer::~TraceViewer()
{
    qDeleteAll(itsTracedCommands);
}

bool TraceViewer::trace(QString telegram)
{
    if (!itsIsEnabled)
        return false;
    if (!TelegramFilter::matches(telegram, itsFilter, itsNegativeFilter))
        return true;
    CommandInfo* record = Communication::CommandManager::instance()->convertToCommandInfo(telegram);
    if (record == nullptr)
        return false;
    if (record->getPropertyValue(QStringLiteral("TelegramType")) == QLatin1String("Request") &&
        record->getPropertyValue(QStringLiteral("CallingType")) == QLatin1String("RequestAndResponse"))
    {
        delete record;
        return true;
    }
    if (itsTracedCommands.size() >= itsMaxCommandCount)
        removeOldest(itsClearAmount);
    itsTracedCommands.append(record);
    emit telegramTraced(record);
    return true;
}

void TraceViewer::setFilter(unsigned int pattern)
{
    if (pattern == itsFilter)
        return;
    itsFilter = pattern;
    emit filterChanged(pattern);
}

unsigned int TraceViewer::filter() const
{
    return itsFilter;
}

void TraceViewer::setNegativeFilter(unsigned int pattern)
{
    itsNegativeFilter = pattern;
}

unsigned int TraceViewer::negativeFilter() const
{
    return itsNegativeFilter;
}

bool TraceViewer::setEnabled(bool enabled)
{
    if (enabled != itsIsEnabled)
    {
        itsIsEnabled = enabled;
        emit enabledChanged(enabled);
    }
    return true;
}

bool TraceViewer::isEnabled() const
{
    return itsIsEnabled;
}

QList<CommandInfo*>* TraceViewer::getTracedProperties()
{
    return &itsTracedCommands;
}

void TraceViewer::setMaxCommandCount(int maxCommandCount, int clearAmount)
{
    NOX_ASSERT(clearAmount <= maxCommandCount,
               "The clear intervall must be smaller than the maximum command count");
    NOX_ASSERT(clearAmount > 0, "The clear amount cant be set to 0");
    NOX_ASSERT(maxCommandCount > 0, "The max amount cant be set to 0");
    itsMaxCommandCount = maxCommandCount;
    itsClearAmount = clearAmount;
    clear();
}

void TraceViewer::clear()
{
    removeOldest(itsTracedCommands.size());
}

QList<CommandInfo*> TraceViewer::exportCommands(int position, int count) const
{
    return CommandList::copies(itsTracedCommands, position, count);
}

void TraceViewer::removeOldest(int count)
{
    const int removed = CommandList::remove(itsTracedCommands, 0, count);
    if (removed > 0)
        emit commandsDeleted(0, removed);
}

} // namespace Tracing
} // namespace NoxCore
