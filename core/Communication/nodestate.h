#ifndef NOXCORE_COMMUNICATION_NODESTATE_H
#define NOXCORE_COMMUNICATION_NODESTATE_H

namespace NoxCore
{
namespace Communication
{

// The states a communication node is reported in. They travel as plain int (signals, check delegates), so
// every receiver can compare them without knowing this type.
class NodeState
{
public:
    enum State
    {
        Unknown = 0,
        // No state check produces Opening or Closing; status fields name them.
        Opening = 1,
        Open = 2,
        Closing = 3,
        Closed = 4
    };
};

} // namespace Communication
} // namespace NoxCore

#endif
