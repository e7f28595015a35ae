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
        // Opening and Closing are named for display only; no state check produces them.
        Opening = 1,
        Open = 2,
        Closing = 3,
        Closed = 4
    };

    // The text of a state for status fields and log lines; "invalid state (out of bounds)" for any other
    // value.
    static const char* stateToString(int state);

private:
    static const char* const stateStrings[];
};

} // namespace Communication
} // namespace NoxCore

#endif
