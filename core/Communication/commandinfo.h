#ifndef NOXCORE_COMMUNICATION_COMMANDINFO_H
#define NOXCORE_COMMUNICATION_COMMANDINFO_H

#include "Tools/delegate.h"

#include <QMap>
#include <QString>
#include <QStringList>

namespace NoxCore
{
namespace Communication
{

// The editable property model of one telegram: the command's name, the telegram's comment, and one property
// per Telegram attribute ("Pid", "CallingType", "TelegramType", "Trace") and per parameter, each with a
// value text and a type name ("hex", "text" or the parameter's own). Out properties are the values the
// target delivered; only response telegrams carry them.
//
// A validator (a slot "bool name(CommandInfo*)", usually the trace programmer's) decides whether an edited
// value is acceptable. It is not owned.
class CommandInfo
{
public:
    explicit CommandInfo(const QString& name);
    // A deep copy, the validator included.
    CommandInfo(const CommandInfo& other);
    CommandInfo& operator=(const CommandInfo&) = delete;
    virtual ~CommandInfo();

    QString name() const;
    QString comment() const;
    void setComment(const QString& comment);

    // Replaces an earlier property of that name; an out property is listed once, however often it is added.
    void addProperty(const QString& name, const QString& value, const QString& type, bool isOutProperty);
    void removeProperty(const QString& name);
    bool containsProperty(const QString& name) const;
    // Empty for an unknown property.
    QString getPropertyValue(const QString& name) const;
    QString getPropertyType(const QString& name) const;
    QMap<QString, QString> properties() const;
    QMap<QString, QString> propertyTypes() const;
    // In the order they were added.
    QStringList outPropertyNames() const;

    // Stores value in an existing property. With validate, the validator must accept the changed info;
    // when it is unset, cannot be called or refuses, the old value comes back and the result is false.
    bool trySetPropertyValue(const QString& name, const QString& value, bool validate);
    // slotSignature as SLOT() writes it, e.g. SLOT(validateCommand(CommandInfo*)).
    bool setValidator(QObject* target, const char* slotSignature);

    // Same name, comment, property values and out properties (in any order); types are not compared.
    bool equals(const CommandInfo* other) const;

private:
    QString itsName;
    QString itsComment;
    QMap<QString, QString> itsProperties;
    QMap<QString, QString> itsPropertyTypes;
    QStringList itsOutPropertyNames;
    Tools::Delegate itsValidator;
};

} // namespace Communication
} // namespace NoxCore

#endif
