#ifndef LIDORA_STATELOOK_H
#define LIDORA_STATELOOK_H

#include <QColor>

// How an object state looks in the read-out: the state label's text and colour, and the bar's colour.
struct StateLook
{
    const char* text;
    const char* labelStyleSheet;
    QColor barColour;

    // The look of a state value; anything unknown looks like "no object".
    static const StateLook& of(int state);
};

#endif
