#include "telegramfilter.h"

#include <QXmlStreamReader>

namespace NoxCore
{
namespace Tracing
{

namespace
{

const int HEX_BASE = 16;

} // namespace

bool TelegramFilter::matches(const QString& telegram, unsigned int filter, unsigned int negativeFilter)
{
    // Only the first element is read: every telegram of a traced stream passes here.
    QXmlStreamReader xml(telegram);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("Telegram"))
        return false;
    bool read = false;
    const unsigned int pattern = xml.attributes().value(QLatin1String("Trace")).toUInt(&read, HEX_BASE);
    return read && (pattern & filter) != 0 && (pattern & negativeFilter) == 0;
}

} // namespace Tracing
} // namespace NoxCore
