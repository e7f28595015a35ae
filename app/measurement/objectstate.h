#ifndef LIDORA_OBJECTSTATE_H
#define LIDORA_OBJECTSTATE_H

// What the demo makes of the newest sample. The values double as indexes into the read-out tables and
// the state names of the demo-data record, so they must not be renumbered.
enum ObjectState
{
    STATE_NO_OBJECT = 0,
    STATE_OBJECT_TOO_CLOSE = 1,
    STATE_OBJECT_PRESENCE = 2,
    STATE_OBJECT_FAR = 3,
    STATE_STATIC = 4
};

const int OBJECT_STATE_COUNT = STATE_STATIC + 1;

// The name the records and recordings use for a state; empty for a value outside the enumeration.
inline const char* objectStateName(int state)
{
    static const char* const NAMES[OBJECT_STATE_COUNT] = {"STATE_NO_OBJECT", "STATE_OBJECT_TOO_CLOSE",
                                                          "STATE_OBJECT_PRESENCE", "STATE_OBJECT_FAR",
                                                          "STATE_STATIC"};
    return (state >= 0 && state < OBJECT_STATE_COUNT) ? NAMES[state] : "";
}

#endif
