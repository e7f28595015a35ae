#ifndef LIDORA_MEASUREMENTSAMPLE_H
#define LIDORA_MEASUREMENTSAMPLE_H

#include "objectstate.h"

#include <QtGlobal>

// Where a measurement came from. Recordings name it in their "source" column.
enum class MeasurementSource : quint8
{
    Board,
    SimulatedBoard,
    TestScript,
    Recording
};

// One measurement as the processing leaves it: what the sensor said, and what the demo made of it. This is
// what the recording, the statistics and the history take in; none of them needs to know any widget.
struct MeasurementSample
{
    qint64 timeMs = 0; // ms since 1970-01-01 UTC
    MeasurementSource source = MeasurementSource::TestScript;
    // The exchange with the module failed: the sensor said nothing, the record below is the zero record.
    bool exchangeFailed = false;
    // The sensor reported an object (the script: a distance other than 0). Without one the raw fields are 0.
    bool hasObject = false;
    quint16 rawDistance = 0; // mm
    quint8 rawConfidence = 0;
    quint32 photonCountReference = 0;
    quint32 photonCountObject = 0;

    // Filled in by the processing.
    double medianDistance = 0.0;
    double smoothedConfidence = 0.0;
    double movement = 0.0;
    int objectState = STATE_NO_OBJECT;
    bool presenceRecent = true;
};

#endif
