#ifndef NOXCORE_COMMUNICATION_COMMANDTELEGRAM_H
#define NOXCORE_COMMUNICATION_COMMANDTELEGRAM_H

#include <QString>

#include <functional>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace NoxCore
{
namespace Tools
{
class XmlMapper;
}

namespace Communication
{

class IComObject;

// The telegram of a com object whose parameters are numbers: one Telegram element holding one command
// element, each parameter written in lower-case hexadecimal without prefix and read back through a mapper.
class CommandTelegram
{
public:
    static constexpr unsigned int REQUEST = 0;
    static constexpr int HEX_BASE = 16;

    // The Telegram element of object with the command element commandName, whose parameters
    // writeParameters writes. False for a null writer.
    static bool write(IComObject* object, QXmlStreamWriter* writer, unsigned int telegramType,
                      const QString& commandName, const std::function<void()>& writeParameters);
    static bool isResponse(unsigned int telegramType);
    // Lower-case hexadecimal without prefix, the form of every number in a telegram.
    static QString hex(unsigned int value);
    static void writeHex(QXmlStreamWriter* writer, const QString& name, unsigned int value);
    // A value that the target delivered; it belongs in response telegrams only.
    static void writeDelivered(QXmlStreamWriter* writer, const QString& name, const QString& value);
    // The reader stands on the command element; it must not be null. True when the mapper found every
    // parameter that is not optional.
    static bool read(QXmlStreamReader* xml, Tools::XmlMapper& mapper);
};

} // namespace Communication
} // namespace NoxCore

#endif
