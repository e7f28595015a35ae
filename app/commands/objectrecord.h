#ifndef LIDORA_OBJECTRECORD_H
#define LIDORA_OBJECTRECORD_H

#include <QtGlobal>

// The decoded object answer of one measurement (without the object count that precedes it on the wire).
struct ObjectRecord
{
    quint8 firstByte = 0;  // carried along, not interpreted
    quint16 distance = 0;  // mm
    quint16 distance2 = 0; // carried along, not interpreted
    quint16 distance3 = 0; // carried along, not interpreted
    quint8 confidence = 0; // 0 to 63
    quint32 photonCountReference = 0;
    quint32 photonCountObject = 0;
};

#endif
