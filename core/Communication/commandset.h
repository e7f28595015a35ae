#ifndef NOXCORE_COMMUNICATION_COMMANDSET_H
#define NOXCORE_COMMUNICATION_COMMANDSET_H

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace NoxCore
{
namespace Communication
{

class IComObject;

// Named prototype com objects, from which telegrams become com objects again: the name is the command
// element of the telegram. Sub-sets are searched after the own commands, in the order they were added.
//
// Ownership: the set owns clones of the prototypes it is given and copies of its sub-sets; the objects it
// creates belong to the caller.
class CommandSet
{
public:
    CommandSet();
    // Clones every prototype and copies every sub-set.
    CommandSet(const CommandSet& other);
    CommandSet& operator=(const CommandSet&) = delete;
    virtual ~CommandSet();

    // Keeps a clone of prototype under name, replacing an earlier one; a null prototype is ignored.
    void addCommand(const QString& name, IComObject* prototype);
    void addSet(const CommandSet* set);
    // A new clone of the prototype named so, here or in the first sub-set that has one; null otherwise.
    IComObject* createObject(const QString& name) const;
    // The own names in alphabetical order, then those of each sub-set.
    QStringList commandNames() const;
    void clear();

private:
    QMap<QString, IComObject*> itsPrototypes;
    QList<CommandSet*> itsSubSets;
};

} // namespace Communication
} // namespace NoxCore

#endif
