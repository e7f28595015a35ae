#include "seededrandom.h"

#include "Tools/noxassert.h"

namespace LidoraSim
{

SeededRandom::SeededRandom(quint64 seed) : itsState(seed) {}

quint64 SeededRandom::next()
{
    itsState += 0x9E3779B97F4A7C15ULL;
    quint64 mixed = itsState;
    mixed = (mixed ^ (mixed >> 30)) * 0xBF58476D1CE4E5B9ULL;
    mixed = (mixed ^ (mixed >> 27)) * 0x94D049BB133111EBULL;
    return mixed ^ (mixed >> 31);
}

int SeededRandom::between(int low, int high)
{
    NOX_ASSERT(low <= high, "low must not exceed high.");
    const quint64 span = quint64(qint64(high) - qint64(low)) + 1;
    return int(qint64(low) + qint64(next() % span));
}

} // namespace LidoraSim
