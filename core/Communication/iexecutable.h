#ifndef NOXCORE_COMMUNICATION_IEXECUTABLE_H
#define NOXCORE_COMMUNICATION_IEXECUTABLE_H

namespace NoxCore
{
namespace Communication
{

class IComExecutor;

// A com object that runs its own exchanges (several transfers, say) instead of being serialised by the
// stream. The stream calls execute() with itself as executor and takes the result as the object's validity.
class IExecutable
{
public:
    virtual ~IExecutable() = default;
    virtual bool execute(IComExecutor* executor) = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
