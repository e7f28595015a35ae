#ifndef NOXCORE_TRACING_COMMANDLIST_H
#define NOXCORE_TRACING_COMMANDLIST_H

#include <QList>

namespace NoxCore
{
namespace Communication
{
class CommandInfo;
}

namespace Tracing
{

// Ranges of the owned CommandInfo lists of the viewer and the programmer. A range starts at a position,
// which must not be negative, and holds at most count commands, fewer at the end of the list; a negative
// count means up to the end.
class CommandList
{
public:
    static int rangeSize(const QList<Communication::CommandInfo*>& commands, int position, int count);
    // New copies, owned by the caller.
    static QList<Communication::CommandInfo*> copies(const QList<Communication::CommandInfo*>& commands,
                                                     int position, int count);
    // Deletes the range; the number deleted.
    static int remove(QList<Communication::CommandInfo*>& commands, int position, int count);
};

} // namespace Tracing
} // namespace NoxCore

#endif
