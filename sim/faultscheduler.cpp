#include "faultscheduler.h"

#include <cstdio>

namespace LidoraSim
{

namespace
{

// Normal stretches are long enough for the stack to come back up (the control interface is polled every
// 500 ms, everything above it follows at once) and for a client to see good measurements before the next
// fault; faults last long enough for several exchanges to meet them. One cycle takes about 11 s.
using Fault = FaultScheduler::Fault;
const FaultScheduler::Phase PHASES[] = {
    {Fault::None, "normal", 1000}, {Fault::Unplugged, "unplugged", 600},
    {Fault::None, "normal", 2000}, {Fault::Silent, "silent", 400},
    {Fault::None, "normal", 1000}, {Fault::StaleSequence, "stale sequence numbers", 400},
    {Fault::None, "normal", 1000}, {Fault::WrongProtocolId, "wrong protocol id", 400},
    {Fault::None, "normal", 1000}, {Fault::OversizedLength, "oversized length", 400},
    {Fault::None, "normal", 1000}, {Fault::OversizedCount, "oversized report count", 400},
    {Fault::None, "normal", 1000}, {Fault::NoAnswer, "no answer on the USB", 400},
};
const int PHASE_COUNT = int(sizeof(PHASES) / sizeof(PHASES[0]));

} // namespace

FaultScheduler::FaultScheduler(SimulatedHidBackend& backend, QObject* parent)
    : QObject(parent), itsBackend(backend)
{
    itsTimer.setSingleShot(true);
    connect(&itsTimer, &QTimer::timeout, this, &FaultScheduler::onItsTimerTimeout);
}

void FaultScheduler::start()
{
    apply(0);
}

const char* FaultScheduler::currentPhase() const
{
    return PHASES[itsPhase].name;
}

void FaultScheduler::onItsTimerTimeout()
{
    apply((itsPhase + 1) % PHASE_COUNT);
}

void FaultScheduler::apply(int phase)
{
    itsPhase = phase;
    SimulatedBoard& board = itsBackend.board();
    board.setFault(SimulatedBoard::Fault::None);
    itsBackend.setHidFault(SimulatedHidBackend::HidFault::None);
    if (!itsBackend.isPlugged())
        itsBackend.replug();

    switch (PHASES[phase].fault)
    {
    case Fault::None:
        break;
    case Fault::Unplugged:
        itsBackend.unplug();
        break;
    case Fault::Silent:
        board.setFault(SimulatedBoard::Fault::Silent);
        break;
    case Fault::StaleSequence:
        itsBackend.setHidFault(SimulatedHidBackend::HidFault::StaleSequence);
        break;
    case Fault::WrongProtocolId:
        board.setFault(SimulatedBoard::Fault::WrongProtocolId);
        break;
    case Fault::OversizedLength:
        board.setFault(SimulatedBoard::Fault::OversizedLength);
        break;
    case Fault::OversizedCount:
        itsBackend.setHidFault(SimulatedHidBackend::HidFault::OversizedCount);
        break;
    case Fault::NoAnswer:
        itsBackend.setHidFault(SimulatedHidBackend::HidFault::NoAnswer);
        break;
    }

    std::fprintf(stderr, "simulated board: %s\n", PHASES[phase].name);
    std::fflush(stderr);
    itsTimer.start(PHASES[phase].durationMs);
}

} // namespace LidoraSim
