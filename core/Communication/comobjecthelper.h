#ifndef NOXCORE_COMMUNICATION_COMOBJECTHELPER_H
#define NOXCORE_COMMUNICATION_COMOBJECTHELPER_H

#include <QString>

class QXmlStreamWriter;

namespace NoxCore
{
namespace Communication
{

class IComObject;

// Byte packing of register-sized integers (most significant byte first) and the pieces of a telegram.
class ComObjectHelper
{
public:
    // byteWidth 1, 2 or 4; 0 packs nothing and succeeds; other widths and a null buffer fail untouched.
    static bool serialize(unsigned char* buffer, unsigned int byteWidth, unsigned int value);
    // The mirror image; width 0 leaves value untouched and succeeds.
    static bool deserialize(const unsigned char* buffer, unsigned int byteWidth, unsigned int& value);
    // Whether the packer has a form for byteWidth (0, 1, 2 or 4).
    static bool isPackableWidth(unsigned int byteWidth);
    // Whether value is packed whole in byteWidth bytes, rather than cut to its low bytes.
    static bool fitsWidth(unsigned int value, unsigned int byteWidth);

    // The Telegram element's start with its Pid, CallingType, TelegramType and Trace attributes, then the
    // Comment element when the object has a comment. A null writer writes nothing; object must not be null.
    static void writeOpeningTag(IComObject* object, QXmlStreamWriter* writer, unsigned char telegramType);
    static void writeClosingTag(QXmlStreamWriter* writer);
    static void writeTextElementWithType(QXmlStreamWriter* writer, const QString& name, const QString& value,
                                         const QString& type);
    // One parameter element: the "type" attribute only when type is not empty, OutProperty="True" for
    // values the target delivers. xml must not be null.
    static void writeValue(QXmlStreamWriter* xml, const QString& name, const QString& value,
                           const QString& type, bool isOutProperty);
};

} // namespace Communication
} // namespace NoxCore

#endif
