#include "delegate.h"

#include <QMetaObject>
#include <QObject>

#include <cstring>

namespace NoxCore
{
namespace Tools
{

namespace
{

// Qt's SLOT() macro puts this code in front of a slot's signature (SIGNAL() uses '2').
const char SLOT_CODE = '1';

} // namespace

Delegate::Delegate() : itsTarget(nullptr) {}

Delegate::~Delegate() = default;

bool Delegate::set(QObject* target, const char* slotSignature)
{
    if (slotSignature == nullptr || slotSignature[0] != SLOT_CODE)
        return false;
    itsTarget = target;
    if (target == nullptr)
    {
        itsMethodName.clear();
        return true;
    }
    const char* name = slotSignature + 1;
    const char* parenthesis = std::strchr(name, '(');
    itsMethodName = parenthesis != nullptr ? QByteArray(name, int(parenthesis - name)) : QByteArray(name);
    return true;
}

bool Delegate::set(const Delegate* other)
{
    itsTarget = other->itsTarget;
    itsMethodName = other->itsMethodName;
    return true;
}

void Delegate::reset()
{
    itsTarget = nullptr;
    itsMethodName.clear();
}

bool Delegate::isSet() const
{
    return itsTarget != nullptr && !itsMethodName.isEmpty();
}

bool Delegate::invoke(QGenericReturnArgument result, QGenericArgument a0, QGenericArgument a1,
                      QGenericArgument a2, QGenericArgument a3, QGenericArgument a4, QGenericArgument a5,
                      QGenericArgument a6, QGenericArgument a7, QGenericArgument a8,
                      QGenericArgument a9) const
{
    if (!isSet())
        return false;
    return QMetaObject::invokeMethod(itsTarget, itsMethodName.constData(), Qt::DirectConnection, result, a0,
                                     a1, a2, a3, a4, a5, a6, a7, a8, a9);
}

bool Delegate::invoke(QGenericArgument a0, QGenericArgument a1, QGenericArgument a2, QGenericArgument a3,
                      QGenericArgument a4, QGenericArgument a5, QGenericArgument a6, QGenericArgument a7,
                      QGenericArgument a8, QGenericArgument a9) const
{
    return invoke(QGenericReturnArgument(), a0, a1, a2, a3, a4, a5, a6, a7, a8, a9);
}

} // namespace Tools
} // namespace NoxCore
