#ifndef NOXCORE_COMMUNICATION_LATEFLUSHPOLICY_H
#define NOXCORE_COMMUNICATION_LATEFLUSHPOLICY_H

#include "streampolicy.h"

namespace NoxCore
{
namespace Communication
{

// Answers are read only on an explicit flush, so several requests can be sent before waiting for any answer.
class LateFlushPolicy : public StreamPolicy
{
public:
    bool flushNow() const override { return false; }
};

} // namespace Communication
} // namespace NoxCore

#endif
