#include "commandmanager.h"

#include "Tools/latin1literal.h"
#include "Tools/noxassert.h"
#include "commandinfo.h"
#include "icomobject.h"
#include "ixmlserializable.h"
#include "telegramreader.h"

#include <QDomDocument>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cstddef>
#include <memory>

namespace NoxCore
{
namespace Communication
{

namespace
{

const int HEX_BASE = 16;
const int DOCUMENT_INDENT = 1;
const unsigned int REQUEST_TELEGRAM = 0;
constexpr QLatin1String HEX_TYPE = Tools::latin1Literal("hex");
constexpr QLatin1String TEXT_TYPE = Tools::latin1Literal("text");
constexpr QLatin1String PID_ATTRIBUTE = Tools::latin1Literal("Pid");
constexpr QLatin1String CALLING_TYPE_ATTRIBUTE = Tools::latin1Literal("CallingType");
constexpr QLatin1String TELEGRAM_TYPE_ATTRIBUTE = Tools::latin1Literal("TelegramType");
constexpr QLatin1String TRACE_ATTRIBUTE = Tools::latin1Literal("Trace");
constexpr QLatin1String COMMENT_ELEMENT = Tools::latin1Literal("Comment");

struct AttributeProperty
{
    QLatin1String name;
    QLatin1String type;
};

constexpr AttributeProperty ATTRIBUTE_PROPERTIES[] = {{PID_ATTRIBUTE, HEX_TYPE},
                                                      {CALLING_TYPE_ATTRIBUTE, TEXT_TYPE},
                                                      {TELEGRAM_TYPE_ATTRIBUTE, TEXT_TYPE},
                                                      {TRACE_ATTRIBUTE, HEX_TYPE}};

bool isKnownCallingType(const QString& callingType)
{
    return callingType == QLatin1String("FireAndForget") ||
           callingType == QLatin1String("RequestAndResponse");
}

void replaceText(QDomDocument& document, QDomElement& element, const QString& text)
{
    while (element.hasChildNodes())
        element.removeChild(element.firstChild());
    element.appendChild(document.createTextNode(text));
}

// The Comment element goes right after the Telegram start, as the com objects write it; an info without
// comment leaves none.
void updateComment(QDomDocument& document, QDomElement& telegram, QDomElement& command, const QString& text)
{
    QDomElement comment = telegram.firstChildElement(COMMENT_ELEMENT);
    if (text.isEmpty())
    {
        telegram.removeChild(comment);
        return;
    }
    if (comment.isNull())
        comment = telegram.insertBefore(document.createElement(COMMENT_ELEMENT), command).toElement();
    replaceText(document, comment, text);
}

} // namespace

CommandManager* CommandManager::instance()
{
    static CommandManager theInstance;
    return &theInstance;
}

CommandManager::CommandManager() = default;

CommandManager::~CommandManager() = default;

CommandInfo* CommandManager::convertToCommandInfo(const QString& telegram)
{
    TelegramReader reader;
    if (!reader.read(telegram))
        return nullptr;
    for (const AttributeProperty& attribute : ATTRIBUTE_PROPERTIES)
    {
        if (!reader.hasAttribute(attribute.name))
            return nullptr;
    }
    CommandInfo* info = new CommandInfo(reader.commandName());
    for (const AttributeProperty& attribute : ATTRIBUTE_PROPERTIES)
        info->addProperty(attribute.name, reader.attribute(attribute.name), attribute.type, false);
    info->setComment(reader.comment());
    for (const TelegramReader::Parameter& parameter : reader.parameters())
        info->addProperty(parameter.name, parameter.value,
                          parameter.type.isEmpty() ? HEX_TYPE : parameter.type, parameter.isOutProperty);
    return info;
}

IComObject* CommandManager::convertToComObject(const QString& telegram)
{
    TelegramReader reader;
    if (!reader.read(telegram) || !reader.hasAttribute(CALLING_TYPE_ATTRIBUTE))
        return nullptr;
    bool traceRead = false;
    const unsigned int tracePattern = reader.attribute(TRACE_ATTRIBUTE).toUInt(&traceRead, HEX_BASE);
    if (!traceRead)
        return nullptr;
    std::unique_ptr<IComObject> object(itsCommandSet.createObject(reader.commandName()));
    IXmlSerializable* xmlSerializable = dynamic_cast<IXmlSerializable*>(object.get());
    if (xmlSerializable == nullptr)
        return nullptr;
    QXmlStreamReader xml(telegram);
    TelegramReader::moveToCommand(xml);
    if (!xmlSerializable->xmlDeserialize(&xml))
        return nullptr;
    if (!isKnownCallingType(reader.attribute(CALLING_TYPE_ATTRIBUTE)))
        object->setCallingType(static_cast<IComObject::CallingType>(UNKNOWN_CALLING_TYPE));
    object->setTracePattern(tracePattern);
    if (!reader.comment().isEmpty())
        object->setComment(reader.comment());
    return object.release();
}

IComObject* CommandManager::convertToComObject(const CommandInfo* info)
{
    NOX_ASSERT(info != NULL, "commandInfo is Null!");
    std::unique_ptr<IComObject> prototype(itsCommandSet.createObject(info->name()));
    if (prototype == nullptr)
        return nullptr;
    QString telegram = convertToXml(prototype.get());
    if (telegram.isEmpty() || !updateTelegram(&telegram, info))
        return nullptr;
    return convertToComObject(telegram);
}

QString CommandManager::convertToXml(IComObject* object)
{
    NOX_ASSERT(object != NULL, "object is Null!");
    IXmlSerializable* xmlSerializable = dynamic_cast<IXmlSerializable*>(object);
    if (xmlSerializable == nullptr)
        return QString();
    QString telegram;
    QXmlStreamWriter writer(&telegram);
    writer.setAutoFormatting(true);
    if (!xmlSerializable->xmlSerialize(&writer, REQUEST_TELEGRAM))
        return QString();
    return telegram;
}

bool CommandManager::updateTelegram(QString* telegram, const CommandInfo* commandInfo)
{
    NOX_ASSERT(telegram != NULL, "telegram is Null!");
    NOX_ASSERT(commandInfo != NULL, "commandInfo is Null!");
    // Checked before the DOM sees it: the DOM takes a document apart recursively, so a deeply nested text
    // would exhaust the stack.
    TelegramReader reader;
    if (!reader.read(*telegram) || reader.commandName() != commandInfo->name())
        return false;
    QDomDocument document;
    if (!document.setContent(*telegram))
        return false;
    QDomElement root = document.documentElement();
    QDomElement command = root.firstChildElement(commandInfo->name());
    for (const AttributeProperty& attribute : ATTRIBUTE_PROPERTIES)
    {
        if (commandInfo->containsProperty(attribute.name))
            root.setAttribute(attribute.name, commandInfo->getPropertyValue(attribute.name));
    }
    for (QDomElement parameter = command.firstChildElement(); !parameter.isNull();
         parameter = parameter.nextSiblingElement())
    {
        if (commandInfo->containsProperty(parameter.tagName()))
            replaceText(document, parameter, commandInfo->getPropertyValue(parameter.tagName()));
    }
    updateComment(document, root, command, commandInfo->comment());
    *telegram = document.toString(DOCUMENT_INDENT);
    return true;
}

CommandInfo* CommandManager::createCommand(const QString& name)
{
    std::unique_ptr<IComObject> object(itsCommandSet.createObject(name));
    if (object == nullptr)
        return nullptr;
    const QString telegram = convertToXml(object.get());
    return telegram.isEmpty() ? nullptr : convertToCommandInfo(telegram);
}

void CommandManager::registerCommand(const QString& name, IComObject* prototype)
{
    itsCommandSet.addCommand(name, prototype);
}

void CommandManager::registerCommandSet(const CommandSet* set)
{
    itsCommandSet.addSet(set);
}

void CommandManager::unregisterCommands()
{
    itsCommandSet.clear();
}

int CommandManager::getTelegramType(const QString* telegram)
{
    NOX_ASSERT(telegram != NULL, "telegram is Null!");
    TelegramReader reader;
    if (!reader.read(*telegram))
        return TELEGRAM_TYPE_UNKNOWN;
    const QString telegramType = reader.attribute(TELEGRAM_TYPE_ATTRIBUTE);
    if (telegramType == QLatin1String("Request"))
        return TELEGRAM_TYPE_REQUEST;
    if (telegramType == QLatin1String("Response"))
        return TELEGRAM_TYPE_RESPONSE;
    return TELEGRAM_TYPE_UNKNOWN;
}

} // namespace Communication
} // namespace NoxCore
