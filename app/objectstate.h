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

#endif
