#ifndef NOXCORE_TOOLS_SCOPEEXIT_H
#define NOXCORE_TOOLS_SCOPEEXIT_H

#include <functional>
#include <utility>

namespace NoxCore
{
namespace Tools
{

// Runs a release on every way out of a scope, an early return or an exception alike: for what the system
// hands out without a class of its own to give it back (a SetupAPI device set, say).
class ScopeExit
{
public:
    explicit ScopeExit(std::function<void()> release) : itsRelease(std::move(release)) {}
    ~ScopeExit() { itsRelease(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    std::function<void()> itsRelease;
};

} // namespace Tools
} // namespace NoxCore

#endif
