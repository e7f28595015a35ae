#include "multidelegate.h"

namespace NoxCore
{
namespace Tools
{

MultiDelegate::MultiDelegate() = default;

MultiDelegate::~MultiDelegate() = default;

bool MultiDelegate::add(QObject* target, const char* slotSignature)
{
    itsDelegates.push_back(std::make_unique<Delegate>());
    itsDelegates.back()->set(target, slotSignature);
    return true;
}

bool MultiDelegate::invoke(QGenericArgument a0, QGenericArgument a1, QGenericArgument a2, QGenericArgument a3,
                           QGenericArgument a4, QGenericArgument a5, QGenericArgument a6, QGenericArgument a7,
                           QGenericArgument a8, QGenericArgument a9) const
{
    bool allSucceeded = true;
    for (const std::unique_ptr<Delegate>& delegate : itsDelegates)
        allSucceeded = delegate->invoke(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9) && allSucceeded;
    return allSucceeded;
}

} // namespace Tools
} // namespace NoxCore
