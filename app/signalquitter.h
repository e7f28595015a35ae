#ifndef LIDORA_SIGNALQUITTER_H
#define LIDORA_SIGNALQUITTER_H

#include <QObject>

class QSocketNotifier;

// Ends the event loop when the program is asked to stop from outside, so that it shuts down like its Exit
// command: the window's destructor runs, the single-instance mark is cleared. On Linux that is SIGINT and
// SIGTERM (Ctrl+C in a terminal, a service stop); a signal handler may do almost nothing, so it only writes a
// byte into a pipe that the event loop watches. On Windows it is Ctrl+C, Ctrl+Break and the closing of the
// console window: the system calls a handler on a thread of its own, which posts the quit to the event
// loop. For a close the handler also waits until the program has wound down (the quitter is destroyed at
// the end of main()), since Windows ends the process as soon as the handler returns.
//
// A request taken in start-up's own event loops (a warning box) ends them, but the main loop has not
// begun yet: main() asks quitRequested() before it starts it. On Linux a second signal that comes before the
// event loop has taken the first ends the program at once, so that nothing that blocks can keep it alive.
class SignalQuitter : public QObject
{
    Q_OBJECT

public:
    explicit SignalQuitter(QObject* parent = nullptr);
    ~SignalQuitter() override;

    // False when the handlers could not be set up; the requests then keep the system's default action.
    bool isInstalled() const { return itsIsInstalled; }
    bool quitRequested() const { return itsQuitRequested; }

#ifdef Q_OS_WIN
    // What the system calls for a console event (CTRL_C_EVENT and the rest), on a thread of its own; true
    // when the event was taken. Public so that a test can play the system.
    static bool onConsoleEvent(unsigned long event);
#endif

private:
    void quit();
#ifndef Q_OS_WIN
    void onSignalPipeReadable();

    QSocketNotifier* itsNotifier = nullptr;
#endif
    bool itsIsInstalled = false;
    bool itsQuitRequested = false;
};

#endif
