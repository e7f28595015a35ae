#include "statemanager.h"

#include "Tools/noxassert.h"

#include <QTimer>

namespace NoxCore
{
namespace Communication
{

StateManager::StateManager(QObject* parent) : QObject(parent), itsTimer(new QTimer(this))
{
    itsTimer->setInterval(DEFAULT_POLL_INTERVAL_MS);
    connect(itsTimer, &QTimer::timeout, this, &StateManager::onItsTimerTimeout);
}

StateManager::~StateManager() = default;

bool StateManager::isActive() const
{
    return itsTimer->isActive();
}

void StateManager::setActive(bool active)
{
    if (active && !itsTimer->isActive())
        itsTimer->start();
    else if (!active && itsTimer->isActive())
        itsTimer->stop();
}

void StateManager::setTimerInterval(int ms)
{
    // QTimer refuses to start with a negative interval and only warns, so the manager would silently never
    // poll again.
    NOX_ASSERT(ms >= 0, "Timer interval is negative.");
    itsTimer->setInterval(ms);
}

int StateManager::timerInterval() const
{
    return itsTimer->interval();
}

void StateManager::onItsTimerTimeout()
{
    checkState();
}

} // namespace Communication
} // namespace NoxCore
