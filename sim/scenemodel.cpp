#include "scenemodel.h"

#include <QtMath>

namespace LidoraSim
{

namespace
{

enum class Phase
{
    Approach,
    Wander,
    TooClose,
    Settle,
    Hold,
    Leave,
    Far,
    Gone
};

struct PhaseSpan
{
    Phase phase;
    qint64 durationMs;
};

// The static state needs more than 10 s of stillness, counted from the first still sample: the hold lasts
// long enough to show it for a few seconds, and for the screen saver to come on before the object leaves.
constexpr PhaseSpan LOOP_PHASES[] = {{Phase::Approach, 3000}, {Phase::Wander, 6000}, {Phase::TooClose, 3000},
                                     {Phase::Settle, 1000},   {Phase::Hold, 13500},  {Phase::Leave, 1000},
                                     {Phase::Far, 2500},      {Phase::Gone, 2000}};

constexpr qint64 loopLength()
{
    qint64 total = 0;
    for (const PhaseSpan& span : LOOP_PHASES)
        total += span.durationMs;
    return total;
}
static_assert(loopLength() == SceneModel::LOOP_MS, "the phases must fill the loop");

// Moving about: a swing through most of the presence zone. It lasts one and a half swings, so it ends at
// its lowest point, where the object goes on towards the sensor.
constexpr double WANDER_CENTRE_MM = 600.0;
constexpr double WANDER_SWING_MM = 300.0;
constexpr double WANDER_PERIOD_MS = 4000.0;
constexpr double WANDER_LOW_MM = WANDER_CENTRE_MM - WANDER_SWING_MM;

// Too close: in within a second, then one slow sway about this distance.
constexpr double CLOSE_MM = 120.0;
constexpr double CLOSE_SWAY_MM = 25.0;
constexpr qint64 CLOSE_IN_MS = 1000;

constexpr double FAR_SWAY_MM = 250.0;

constexpr int JITTER_STEP_MM = 2;
constexpr int JITTER_LIMIT_MM = 3;

constexpr int CONFIDENCE_AT_ZERO = 60;
constexpr int CONFIDENCE_LOSS_MM = 80;
constexpr int CONFIDENCE_SPREAD = 2;
constexpr int CONFIDENCE_MAX = 63;

constexpr int REFERENCE_PHOTONS = 12000;
constexpr int REFERENCE_SPREAD = 150;
// The object's echo falls with the square of its distance.
constexpr double OBJECT_PHOTONS_AT_1M = 5000.0;
constexpr int OBJECT_PHOTON_SPREAD_PERMILLE = 30;
constexpr int AMBIENT_PHOTONS_MIN = 80;
constexpr int AMBIENT_PHOTONS_MAX = 160;

double towards(double fromMm, double toMm, double fraction)
{
    return fromMm + (toMm - fromMm) * fraction;
}

double wave(double elapsedMs, double periodMs)
{
    return qSin(2.0 * M_PI * elapsedMs / periodMs);
}

} // namespace

SceneModel::SceneModel(quint64 seed) : itsSeed(seed), itsNoise(seed), itsJitterMm(0) {}

SceneSample SceneModel::sample(qint64 elapsedMs)
{
    const qint64 sincePowerOn = qMax<qint64>(0, elapsedMs);
    const int pathMm = pathDistance(shapeOfLoop(sincePowerOn / LOOP_MS), sincePowerOn % LOOP_MS);

    SceneSample sample;
    sample.photonCountReference =
        quint32(REFERENCE_PHOTONS + itsNoise.between(-REFERENCE_SPREAD, REFERENCE_SPREAD));
    if (pathMm == 0)
    {
        sample.photonCountObject = quint32(itsNoise.between(AMBIENT_PHOTONS_MIN, AMBIENT_PHOTONS_MAX));
        return sample;
    }
    const int distanceMm = pathMm + nextJitter();
    sample.objectCount = 1;
    sample.distanceMm = quint16(distanceMm);
    sample.confidence = confidenceAt(distanceMm);
    sample.photonCountObject = objectPhotonsAt(distanceMm);
    return sample;
}

SceneModel::LoopShape SceneModel::shapeOfLoop(qint64 loopIndex) const
{
    SeededRandom shape(itsSeed ^ (quint64(loopIndex) * 0xD1B54A32D192ED03ULL));
    LoopShape loop;
    loop.approachStartMm = shape.between(2200, 2450);
    loop.holdMm = shape.between(400, 800);
    loop.farMm = shape.between(1500, 2000);
    return loop;
}

int SceneModel::pathDistance(const LoopShape& shape, qint64 msInLoop)
{
    qint64 phaseStartMs = 0;
    for (const PhaseSpan& span : LOOP_PHASES)
    {
        if (msInLoop >= phaseStartMs + span.durationMs)
        {
            phaseStartMs += span.durationMs;
            continue;
        }
        const double inPhaseMs = double(msInLoop - phaseStartMs);
        const double fraction = inPhaseMs / double(span.durationMs);
        switch (span.phase)
        {
        case Phase::Approach:
            return qRound(towards(shape.approachStartMm, WANDER_CENTRE_MM + WANDER_SWING_MM, fraction));
        case Phase::Wander:
            return qRound(WANDER_CENTRE_MM +
                          WANDER_SWING_MM * qCos(2.0 * M_PI * inPhaseMs / WANDER_PERIOD_MS));
        case Phase::TooClose:
            if (inPhaseMs < CLOSE_IN_MS)
                return qRound(towards(WANDER_LOW_MM, CLOSE_MM, inPhaseMs / CLOSE_IN_MS));
            return qRound(CLOSE_MM +
                          CLOSE_SWAY_MM * wave(inPhaseMs - CLOSE_IN_MS, span.durationMs - CLOSE_IN_MS));
        case Phase::Settle:
            return qRound(towards(CLOSE_MM, shape.holdMm, fraction));
        case Phase::Hold:
            return shape.holdMm;
        case Phase::Leave:
            return qRound(towards(shape.holdMm, shape.farMm, fraction));
        case Phase::Far:
            return qRound(shape.farMm + FAR_SWAY_MM * wave(inPhaseMs, span.durationMs));
        case Phase::Gone:
            return 0;
        }
    }
    return 0;
}

int SceneModel::nextJitter()
{
    itsJitterMm = qBound(-JITTER_LIMIT_MM, itsJitterMm + itsNoise.between(-JITTER_STEP_MM, JITTER_STEP_MM),
                         JITTER_LIMIT_MM);
    return itsJitterMm;
}

unsigned char SceneModel::confidenceAt(int distanceMm)
{
    const int confidence = CONFIDENCE_AT_ZERO - distanceMm / CONFIDENCE_LOSS_MM +
                           itsNoise.between(-CONFIDENCE_SPREAD, CONFIDENCE_SPREAD);
    return static_cast<unsigned char>(qBound(1, confidence, CONFIDENCE_MAX));
}

quint32 SceneModel::objectPhotonsAt(int distanceMm)
{
    const double metres = distanceMm / 1000.0;
    const double spread =
        1.0 + itsNoise.between(-OBJECT_PHOTON_SPREAD_PERMILLE, OBJECT_PHOTON_SPREAD_PERMILLE) / 1000.0;
    return quint32(qRound64(OBJECT_PHOTONS_AT_1M / (metres * metres) * spread));
}

} // namespace LidoraSim
