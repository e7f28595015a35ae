#include "commandset.h"

#include "icomobject.h"

namespace NoxCore
{
namespace Communication
{

CommandSet::CommandSet() = default;

CommandSet::CommandSet(const CommandSet& other)
{
    for (auto prototype = other.itsPrototypes.cbegin(); prototype != other.itsPrototypes.cend(); ++prototype)
        addCommand(prototype.key(), prototype.value());
    for (const CommandSet* subSet : other.itsSubSets)
        addSet(subSet);
}

CommandSet::~CommandSet()
{
    clear();
}

void CommandSet::addCommand(const QString& name, IComObject* prototype)
{
    if (prototype == nullptr)
        return;
    delete itsPrototypes.value(name);
    itsPrototypes.insert(name, prototype->clone());
}

void CommandSet::addSet(const CommandSet* set)
{
    if (set != nullptr)
        itsSubSets.append(new CommandSet(*set));
}

IComObject* CommandSet::createObject(const QString& name) const
{
    IComObject* prototype = itsPrototypes.value(name);
    if (prototype != nullptr)
        return prototype->clone();
    for (const CommandSet* subSet : itsSubSets)
    {
        IComObject* object = subSet->createObject(name);
        if (object != nullptr)
            return object;
    }
    return nullptr;
}

QStringList CommandSet::commandNames() const
{
    QStringList names = itsPrototypes.keys();
    for (const CommandSet* subSet : itsSubSets)
        names += subSet->commandNames();
    return names;
}

void CommandSet::clear()
{
    qDeleteAll(itsPrototypes);
    itsPrototypes.clear();
    qDeleteAll(itsSubSets);
    itsSubSets.clear();
}

} // namespace Communication
} // namespace NoxCore
