#ifndef LIDORASIM_SEEDEDRANDOM_H
#define LIDORASIM_SEEDEDRANDOM_H

#include <QtGlobal>

namespace LidoraSim
{

// A small generator (splitmix64) whose numbers depend on the seed alone, on every platform and standard
// library; the distributions of <random> do not promise that, and a simulated board must replay the same
// scene for the same seed.
class SeededRandom
{
public:
    explicit SeededRandom(quint64 seed);

    quint64 next();
    // A whole number from low to high, both included; low must not exceed high.
    int between(int low, int high);

private:
    quint64 itsState;
};

} // namespace LidoraSim

#endif
