#ifndef NOXCORE_COMMUNICATION_STREAMPOLICY_H
#define NOXCORE_COMMUNICATION_STREAMPOLICY_H

namespace NoxCore
{
namespace Communication
{

// Decides whether a stream reads the answers right after each append or only on an explicit flush.
class StreamPolicy
{
public:
    virtual ~StreamPolicy() = default;
    virtual bool flushNow() const = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
