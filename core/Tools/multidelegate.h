#ifndef NOXCORE_TOOLS_MULTIDELEGATE_H
#define NOXCORE_TOOLS_MULTIDELEGATE_H

#include "delegate.h"

#include <memory>
#include <vector>

namespace NoxCore
{
namespace Tools
{

// Several delegates called in the order they were added, with the same arguments. Owns its delegates, not
// their targets.
class MultiDelegate
{
public:
    MultiDelegate();
    virtual ~MultiDelegate();
    MultiDelegate(const MultiDelegate&) = delete;
    MultiDelegate& operator=(const MultiDelegate&) = delete;

    // Keeps the delegate even when its signature was refused, so the list mirrors the calls made.
    bool add(QObject* target, const char* slotSignature);

    // Calls every delegate, also after one has failed; true only when all succeeded (or there are none).
    bool invoke(QGenericArgument a0 = QGenericArgument(), QGenericArgument a1 = QGenericArgument(),
                QGenericArgument a2 = QGenericArgument(), QGenericArgument a3 = QGenericArgument(),
                QGenericArgument a4 = QGenericArgument(), QGenericArgument a5 = QGenericArgument(),
                QGenericArgument a6 = QGenericArgument(), QGenericArgument a7 = QGenericArgument(),
                QGenericArgument a8 = QGenericArgument(), QGenericArgument a9 = QGenericArgument()) const;

private:
    std::vector<std::unique_ptr<Delegate>> itsDelegates;
};

} // namespace Tools
} // namespace NoxCore

#endif
