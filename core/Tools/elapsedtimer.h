#ifndef NOXCORE_TOOLS_ELAPSEDTIMER_H
#define NOXCORE_TOOLS_ELAPSEDTIMER_H

#include <QtGlobal>

namespace NoxCore
{
namespace Tools
{

// QElapsedTimer's interface on the program's monotonic clock, so that cycle lengths and refresh gates
// follow a test's clock like every other time rule.
class ElapsedTimer
{
public:
    void start();
    // Milliseconds since start() or the previous restart(); starts the timer anew.
    qint64 restart();
    // Milliseconds since start(); -1 while the timer has not been started.
    qint64 elapsed() const;
    bool isValid() const { return itsStartMs != INVALID; }
    void invalidate() { itsStartMs = INVALID; }

private:
    static constexpr qint64 INVALID = -1;
    qint64 itsStartMs = INVALID;
};

} // namespace Tools
} // namespace NoxCore

#endif
