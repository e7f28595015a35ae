#ifndef NOXCORE_COMMUNICATION_COMMUTEX_H
#define NOXCORE_COMMUNICATION_COMMUTEX_H

#include <QRecursiveMutex>

namespace NoxCore
{
namespace Communication
{

// A recursive lock that counts its levels, so that its holder can release every level it took, also levels
// taken by calls that have long returned (a com stream keeps one per unanswered request).
//
// Only the thread that holds the lock may unlock it; the count is guarded by the lock itself.
class ComMutex
{
public:
    ComMutex();
    // Releases the levels still held.
    ~ComMutex();
    ComMutex(const ComMutex&) = delete;
    ComMutex& operator=(const ComMutex&) = delete;

    void lock();
    // Releases one level; false when none is held.
    bool unlock();
    void unlockAll();

private:
    unsigned int itsCount;
    QRecursiveMutex itsMutex;
};

} // namespace Communication
} // namespace NoxCore

#endif
