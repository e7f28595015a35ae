#ifndef LIDORA_SIGNALQUITTER_H
#define LIDORA_SIGNALQUITTER_H

#include <QObject>

class QSocketNotifier;

// Ends the event loop on SIGINT and SIGTERM, so that Ctrl+C in a terminal or a service stop shuts the
// program down like its Exit command: the window's destructor runs, the single-instance mark is cleared.
// A signal handler may do almost nothing, so on Linux it only writes a byte into a pipe that the event loop
// watches. On Windows, Ctrl+C and Ctrl+Break in a console do the same.
// A signal taken in start-up's own event loops (a warning box) ends them, but the main loop has not begun
// yet: main() asks quitRequested() before it starts it.
class SignalQuitter : public QObject
{
    Q_OBJECT

public:
    explicit SignalQuitter(QObject* parent = nullptr);
    ~SignalQuitter() override;

    // False when the pipe or the handlers could not be set up; the signals then keep their default action.
    bool isInstalled() const { return itsInstalled; }
    bool quitRequested() const { return itsQuitRequested; }

private slots:
#ifndef _WIN32
    void onSignalPipeReadable();
#endif
    void onQuitSignal();

private:
#ifndef _WIN32
    QSocketNotifier* itsNotifier = nullptr;
#endif
    bool itsInstalled = false;
    bool itsQuitRequested = false;
};

#endif
