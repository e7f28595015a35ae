#ifndef LIDORASIM_SCENEMODEL_H
#define LIDORASIM_SCENEMODEL_H

#include "scenesample.h"
#include "seededrandom.h"

namespace LidoraSim
{

// The room in front of the simulated sensor: one object that takes the demo through every state it shows,
// in a loop of LOOP_MS. It comes in from far away, moves about within reach, comes too close, then stands
// still for longer than the demo needs to call it static, backs off into the far zone and leaves.
//
// Where the object is depends on the seed, the loop's number and the time within the loop only; the noise on
// top is drawn anew for every measurement. So the same seed sampled at the same times gives the same answers.
class SceneModel
{
public:
    static constexpr qint64 LOOP_MS = 32000;

    explicit SceneModel(quint64 seed);

    // The object as the sensor sees it elapsedMs after power-on (earlier times count as power-on). Every call
    // is one measurement and draws new noise.
    SceneSample sample(qint64 elapsedMs);

private:
    // What changes from loop to loop.
    struct LoopShape
    {
        int approachStartMm;
        int holdMm;
        int farMm;
    };

    LoopShape shapeOfLoop(qint64 loopIndex) const;
    // 0 while nobody is in view.
    static int pathDistance(const LoopShape& shape, qint64 msInLoop);
    int nextJitter();
    unsigned char confidenceAt(int distanceMm);
    quint32 objectPhotonsAt(int distanceMm);

    quint64 itsSeed;
    SeededRandom itsNoise;
    // A bounded random walk rather than fresh noise per shot: its steps stay small enough for an object held
    // still to read as still, whatever the sampling rate.
    int itsJitterMm;
};

} // namespace LidoraSim

#endif
