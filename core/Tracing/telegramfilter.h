#ifndef NOXCORE_TRACING_TELEGRAMFILTER_H
#define NOXCORE_TRACING_TELEGRAMFILTER_H

#include <QString>

namespace NoxCore
{
namespace Tracing
{

// Chooses telegrams by the trace pattern in the Trace attribute of their Telegram element: a telegram
// matches when its pattern shares a bit with the filter and none with the negative filter. A pattern of 0,
// a missing or unreadable Trace attribute, or another first element never matches.
class TelegramFilter
{
public:
    static constexpr unsigned int ALL = 0xFFFFFFFF;

    static bool matches(const QString& telegram, unsigned int filter, unsigned int negativeFilter = 0);
};

} // namespace Tracing
} // namespace NoxCore

#endif
