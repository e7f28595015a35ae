#include "statelook.h"

#include "objectstate.h"

namespace
{

// Indexed by the state's value.
const StateLook STATE_LOOKS[] = {
    {"No Object Detected", "QLabel { color: black; }", QColor(0, 0, 0, 0)},
    {"Object Too Close", "QLabel { color: rgb(200, 10, 10); }", QColor(200, 10, 10, 160)},
    {"Presence Detected", "QLabel { color: rgb(10, 140, 10); }", QColor(10, 140, 10, 160)},
    {"Far Object Detected", "QLabel { color: rgb(10, 10, 140); }", QColor(10, 10, 140, 160)},
    {"Static Object Detected", "QLabel { color: black; }", QColor(0, 0, 0, 255)},
};

} // namespace

const StateLook& StateLook::of(int state)
{
    const bool known = state >= STATE_NO_OBJECT && state <= STATE_STATIC;
    return STATE_LOOKS[known ? state : STATE_NO_OBJECT];
}
