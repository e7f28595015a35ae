#include "commutex.h"

namespace NoxCore
{
namespace Communication
{

ComMutex::ComMutex() : itsCount(0) {}

ComMutex::~ComMutex()
{
    unlockAll();
}

void ComMutex::lock()
{
    itsMutex.lock();
    ++itsCount;
}

bool ComMutex::unlock()
{
    if (itsCount == 0)
        return false;
    --itsCount;
    itsMutex.unlock();
    return true;
}

void ComMutex::unlockAll()
{
    while (unlock())
    {
    }
}

} // namespace Communication
} // namespace NoxCore
