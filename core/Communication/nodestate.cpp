#include "nodestate.h"

namespace NoxCore
{
namespace Communication
{

namespace
{

const int OUT_OF_BOUNDS = NodeState::Closed + 1;

} // namespace

const char* const NodeState::stateStrings[] = {"unknown", "opening", "open",
                                               "closing", "closed",  "invalid state (out of bounds)"};

const char* NodeState::stateToString(int state)
{
    return stateStrings[state < Unknown || state > Closed ? OUT_OF_BOUNDS : state];
}

} // namespace Communication
} // namespace NoxCore
