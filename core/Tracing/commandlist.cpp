#include "commandlist.h"

#include "Communication/commandinfo.h"
#include "Tools/noxassert.h"

#include <QtGlobal>

namespace NoxCore
{
namespace Tracing
{

using Communication::CommandInfo;

int CommandList::rangeSize(const QList<CommandInfo*>& commands, int position, int count)
{
    NOX_ASSERT(position >= 0, "Position out of range.");
    const int available = qMax(commands.size() - position, 0);
    return count < 0 ? available : qMin(count, available);
}

QList<CommandInfo*> CommandList::copies(const QList<CommandInfo*>& commands, int position, int count)
{
    QList<CommandInfo*> copied;
    const int size = rangeSize(commands, position, count);
    for (int index = position; index < position + size; ++index)
        copied.append(new CommandInfo(*commands.at(index)));
    return copied;
}

int CommandList::remove(QList<CommandInfo*>& commands, int position, int count)
{
    const int size = rangeSize(commands, position, count);
    for (int removed = 0; removed < size; ++removed)
        delete commands.takeAt(position);
    return size;
}

} // namespace Tracing
} // namespace NoxCore
