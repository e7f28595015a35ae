#ifndef NOXCORE_TOOLS_DELEGATE_H
#define NOXCORE_TOOLS_DELEGATE_H

#include <QByteArray>
#include <QGenericArgument>
#include <QGenericReturnArgument>

class QObject;

namespace NoxCore
{
namespace Tools
{

// A late-bound call of a named slot: the communication core calls back into objects it does not know (node
// checks, validators, result hooks) without a compile-time dependency on them. The target is not owned.
//
// Invocation is direct: the slot runs synchronously in the thread that calls invoke(), whatever thread the
// target lives in. No lock is held.
class Delegate
{
public:
    Delegate();
    virtual ~Delegate();

    // slotSignature is what Qt's SLOT() macro produces, e.g. "1validateCommand(CommandInfo *)". Anything
    // without the leading '1' is refused and leaves the delegate as it was. A null target unsets it.
    bool set(QObject* target, const char* slotSignature);
    bool set(const Delegate* other);
    void reset();
    bool isSet() const;

    // False when unset or when Qt finds no matching slot; otherwise the slot has run.
    bool invoke(QGenericReturnArgument result, QGenericArgument a0 = QGenericArgument(),
                QGenericArgument a1 = QGenericArgument(), QGenericArgument a2 = QGenericArgument(),
                QGenericArgument a3 = QGenericArgument(), QGenericArgument a4 = QGenericArgument(),
                QGenericArgument a5 = QGenericArgument(), QGenericArgument a6 = QGenericArgument(),
                QGenericArgument a7 = QGenericArgument(), QGenericArgument a8 = QGenericArgument(),
                QGenericArgument a9 = QGenericArgument()) const;
    bool invoke(QGenericArgument a0 = QGenericArgument(), QGenericArgument a1 = QGenericArgument(),
                QGenericArgument a2 = QGenericArgument(), QGenericArgument a3 = QGenericArgument(),
                QGenericArgument a4 = QGenericArgument(), QGenericArgument a5 = QGenericArgument(),
                QGenericArgument a6 = QGenericArgument(), QGenericArgument a7 = QGenericArgument(),
                QGenericArgument a8 = QGenericArgument(), QGenericArgument a9 = QGenericArgument()) const;

private:
    QObject* itsTarget;
    QByteArray itsMethodName;
};

} // namespace Tools
} // namespace NoxCore

#endif
