#include "commandinfo.h"

namespace NoxCore
{
namespace Communication
{

CommandInfo::CommandInfo(const QString& name) : itsName(name) {}

CommandInfo::CommandInfo(const CommandInfo& other)
    : itsName(other.itsName), itsComment(other.itsComment), itsProperties(other.itsProperties),
      itsPropertyTypes(other.itsPropertyTypes), itsOutPropertyNames(other.itsOutPropertyNames)
{
    itsValidator.set(&other.itsValidator);
}

CommandInfo::~CommandInfo() = default;

QString CommandInfo::name() const
{
    return itsName;
}

QString CommandInfo::comment() const
{
    return itsComment;
}

void CommandInfo::setComment(const QString& comment)
{
    itsComment = comment;
}

void CommandInfo::addProperty(const QString& name, const QString& value, const QString& type,
                              bool isOutProperty)
{
    itsProperties.insert(name, value);
    itsPropertyTypes.insert(name, type);
    if (isOutProperty && !itsOutPropertyNames.contains(name))
        itsOutPropertyNames.append(name);
}

void CommandInfo::removeProperty(const QString& name)
{
    itsProperties.remove(name);
    itsPropertyTypes.remove(name);
    itsOutPropertyNames.removeAll(name);
}

bool CommandInfo::containsProperty(const QString& name) const
{
    return itsProperties.contains(name) && itsPropertyTypes.contains(name);
}

QString CommandInfo::getPropertyValue(const QString& name) const
{
    return itsProperties.value(name);
}

QString CommandInfo::getPropertyType(const QString& name) const
{
    return itsPropertyTypes.value(name);
}

QMap<QString, QString> CommandInfo::properties() const
{
    return itsProperties;
}

QMap<QString, QString> CommandInfo::propertyTypes() const
{
    return itsPropertyTypes;
}

QStringList CommandInfo::outPropertyNames() const
{
    return itsOutPropertyNames;
}

bool CommandInfo::trySetPropertyValue(const QString& name, const QString& value, bool validate)
{
    if (!containsProperty(name))
        return false;
    const QString previous = itsProperties.value(name);
    itsProperties.insert(name, value);
    if (!validate)
        return true;
    bool accepted = false;
    CommandInfo* self = this;
    if (itsValidator.invoke(Q_RETURN_ARG(bool, accepted), Q_ARG(CommandInfo*, self)) && accepted)
        return true;
    itsProperties.insert(name, previous);
    return false;
}

bool CommandInfo::setValidator(QObject* target, const char* slotSignature)
{
    return itsValidator.set(target, slotSignature);
}

bool CommandInfo::equals(const CommandInfo* other) const
{
    if (other == nullptr)
        return false;
    QStringList ownOutNames = itsOutPropertyNames;
    QStringList otherOutNames = other->itsOutPropertyNames;
    ownOutNames.sort();
    otherOutNames.sort();
    return itsName == other->itsName && itsComment == other->itsComment &&
           itsProperties == other->itsProperties && ownOutNames == otherOutNames;
}

} // namespace Communication
} // namespace NoxCore
