#ifndef NOXCORE_TRACING_ITRACESINK_H
#define NOXCORE_TRACING_ITRACESINK_H

#include <QString>

namespace NoxCore
{
namespace Tracing
{

// Takes the telegrams (XML texts) of a traced com stream.
class ITraceSink
{
public:
    virtual ~ITraceSink() = default;
    // True when the telegram was taken or deliberately filtered out, false when it could not be taken.
    virtual bool trace(QString telegram) = 0;
};

} // namespace Tracing
} // namespace NoxCore

#endif
