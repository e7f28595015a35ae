#ifndef NOXCORE_COMMUNICATION_IMMEDIATEFLUSHPOLICY_H
#define NOXCORE_COMMUNICATION_IMMEDIATEFLUSHPOLICY_H

#include "streampolicy.h"

namespace NoxCore
{
namespace Communication
{

// Every append flushes, so a request's answer has been read when append() returns.
class ImmediateFlushPolicy : public StreamPolicy
{
public:
    bool flushNow() const override { return true; }
};

} // namespace Communication
} // namespace NoxCore

#endif
