// What an automation client sends: the bytes of one read, split into commands.

#include "automationcommandparser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList commands = AutomationCommandParser::parse(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)));
    // The window queues these as they are: none may be empty, carry a line break or stand in blanks.
    for (const QString& command : commands)
    {
        if (command.isEmpty() || command.contains(QLatin1Char('\n')) || command.contains(QLatin1Char('\r')) ||
            command != command.trimmed())
            std::abort();
    }
    return 0;
}
