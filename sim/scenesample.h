#ifndef LIDORASIM_SCENESAMPLE_H
#define LIDORASIM_SCENESAMPLE_H

#include <QtGlobal>

namespace LidoraSim
{

// What the sensor measures in one shot.
struct SceneSample
{
    // 1 with an object in view, 0 without; without one the distance and the confidence are 0.
    unsigned char objectCount = 0;
    quint16 distanceMm = 0;
    // 0 to 63.
    unsigned char confidence = 0;
    quint32 photonCountReference = 0;
    quint32 photonCountObject = 0;
};

} // namespace LidoraSim

#endif
