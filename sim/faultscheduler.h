#ifndef LIDORASIM_FAULTSCHEDULER_H
#define LIDORASIM_FAULTSCHEDULER_H

#include "simulatedhidbackend.h"

#include <QObject>
#include <QTimer>

namespace LidoraSim
{

// Puts the simulated board through every fault it knows, in a loop, for soak runs: between stretches of
// normal operation it is unplugged, goes silent, answers with stale sequence numbers, wrong protocol ids,
// lengths larger than allowed and report counts out of range, and stops answering on the USB. Each phase
// change is written to standard error, so that a soak log shows what the program had to recover from.
class FaultScheduler : public QObject
{
    Q_OBJECT

public:
    enum class Fault
    {
        None,
        Unplugged,
        Silent,
        StaleSequence,
        WrongProtocolId,
        OversizedLength,
        OversizedCount,
        NoAnswer
    };
    struct Phase
    {
        Fault fault;
        const char* name;
        int durationMs;
    };

    FaultScheduler(SimulatedHidBackend& backend, QObject* parent = nullptr);

    void start();
    const char* currentPhase() const;

private slots:
    void onItsTimerTimeout();

private:
    void apply(int phase);

    SimulatedHidBackend& itsBackend;
    QTimer itsTimer;
    int itsPhase = 0;
};

} // namespace LidoraSim

#endif
