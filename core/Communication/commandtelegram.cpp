#include "commandtelegram.h"

#include "Tools/noxassert.h"
#include "Tools/xmlmapper.h"
#include "comobjecthelper.h"

#include <QXmlStreamWriter>
#include <cstddef>

namespace NoxCore
{
namespace Communication
{

bool CommandTelegram::write(IComObject* object, QXmlStreamWriter* writer, unsigned int telegramType,
                            const QString& commandName, const std::function<void()>& writeParameters)
{
    if (writer == nullptr)
        return false;
    ComObjectHelper::writeOpeningTag(object, writer, static_cast<unsigned char>(isResponse(telegramType)));
    writer->writeStartElement(commandName);
    writeParameters();
    writer->writeEndElement();
    ComObjectHelper::writeClosingTag(writer);
    return true;
}

bool CommandTelegram::isResponse(unsigned int telegramType)
{
    return telegramType != REQUEST;
}

QString CommandTelegram::hex(unsigned int value)
{
    return QString::number(value, HEX_BASE);
}

void CommandTelegram::writeHex(QXmlStreamWriter* writer, const QString& name, unsigned int value)
{
    ComObjectHelper::writeValue(writer, name, hex(value), QString(), false);
}

void CommandTelegram::writeDelivered(QXmlStreamWriter* writer, const QString& name, const QString& value)
{
    ComObjectHelper::writeValue(writer, name, value, QString(), true);
}

bool CommandTelegram::read(QXmlStreamReader* xml, Tools::XmlMapper& mapper)
{
    NOX_ASSERT(xml != NULL, "xml is Null!");
    return mapper.tryParse(xml);
}

} // namespace Communication
} // namespace NoxCore
