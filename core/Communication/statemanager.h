#ifndef NOXCORE_COMMUNICATION_STATEMANAGER_H
#define NOXCORE_COMMUNICATION_STATEMANAGER_H

#include <QObject>

class QTimer;

namespace NoxCore
{
namespace Communication
{

// Polls a state on a timer: while active, every tick runs checkState(). What is checked and what a state
// means is the subclass's business. Owns its timer; everything runs on the thread that owns the manager.
class StateManager : public QObject
{
    Q_OBJECT
public:
    static constexpr int DEFAULT_POLL_INTERVAL_MS = 500;

    explicit StateManager(QObject* parent);
    ~StateManager() override;

    // True while the timer runs.
    virtual bool isActive() const;
    // Starts the timer with the interval in force, or stops it; a timer already in the wanted state is left
    // alone.
    virtual void setActive(bool active);
    // A running timer restarts with the new interval. Negative intervals are a programming error.
    virtual void setTimerInterval(int ms);
    int timerInterval() const;
    virtual int checkState() = 0;
    virtual int lastState() const = 0;

private slots:
    void onItsTimerTimeout();

private:
    QTimer* itsTimer;
};

} // namespace Communication
} // namespace NoxCore

#endif
