#include "signalquitter.h"

#include <QCoreApplication>

#ifdef Q_OS_WIN
#include <QMutex>
#include <QMutexLocker>

#include <windows.h>
#else
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace
{

#ifdef Q_OS_WIN

// Windows ends a process 5 s after its console was closed, handler or not; the wait ends a little before.
const DWORD CLOSE_GRACE_MS = 4500;

// The quitter the console handler reaches. The handler runs on the system's thread, so the pointer is only
// used under the lock, and the quitter leaves it before it goes away.
QMutex theQuitterMutex;
SignalQuitter* theQuitter = nullptr;
// Set when the quitter has gone: the program has wound down and a close may go ahead.
HANDLE theWoundDown = nullptr;

BOOL WINAPI consoleHandler(DWORD event)
{
    return SignalQuitter::onConsoleEvent(event) ? TRUE : FALSE;
}

#else

int signalPipe[2] = {-1, -1};
// Set by a signal, cleared once the event loop has taken it.
volatile sig_atomic_t signalPending = 0;

extern "C" void writeSignalByte(int signalNumber)
{
    // The event loop has not taken the first signal: something blocks it (a device or FIFO that never
    // answers, say). The second signal ends the program as if no handler were installed.
    if (signalPending != 0)
    {
        ::signal(signalNumber, SIG_DFL);
        ::raise(signalNumber);
        return;
    }
    signalPending = 1;
    const char byte = 1;
    // Nothing useful can be done about a full pipe: a quit is already pending then.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

#endif

} // namespace

#ifdef Q_OS_WIN

SignalQuitter::SignalQuitter(QObject* parent) : QObject(parent)
{
    QMutexLocker lock(&theQuitterMutex);
    if (theWoundDown == nullptr)
        theWoundDown = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::ResetEvent(theWoundDown);
    theQuitter = this;
    itsIsInstalled = theWoundDown != nullptr && ::SetConsoleCtrlHandler(consoleHandler, TRUE) != FALSE;
}

SignalQuitter::~SignalQuitter()
{
    ::SetConsoleCtrlHandler(consoleHandler, FALSE);
    QMutexLocker lock(&theQuitterMutex);
    theQuitter = nullptr;
    if (theWoundDown != nullptr)
        ::SetEvent(theWoundDown);
}

bool SignalQuitter::onConsoleEvent(unsigned long event)
{
    const bool isClose =
        event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    if (!isClose && event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return false;
    HANDLE woundDown = nullptr;
    {
        QMutexLocker lock(&theQuitterMutex);
        // Without a quitter the system's own handling (ending the process) is all there is.
        if (theQuitter == nullptr)
            return false;
        // Posting is safe from any thread; the quit itself runs on the quitter's.
        SignalQuitter* const quitter = theQuitter;
        QMetaObject::invokeMethod(
            quitter, [quitter] { quitter->quit(); }, Qt::QueuedConnection);
        woundDown = theWoundDown;
    }
    if (isClose)
        ::WaitForSingleObject(woundDown, CLOSE_GRACE_MS);
    return true;
}

#else

SignalQuitter::SignalQuitter(QObject* parent) : QObject(parent)
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    struct sigaction action = {};
    action.sa_handler = writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, nullptr) != 0 || ::sigaction(SIGTERM, &action, nullptr) != 0)
        return;

    itsNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(itsNotifier, &QSocketNotifier::activated, this, [this] { onSignalPipeReadable(); });
    itsIsInstalled = true;
}

SignalQuitter::~SignalQuitter()
{
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    delete itsNotifier;
    for (int& fd : signalPipe)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void SignalQuitter::onSignalPipeReadable()
{
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof(bytes)) > 0)
    {
    }
    signalPending = 0;
    quit();
}

#endif

void SignalQuitter::quit()
{
    itsQuitRequested = true;
    // exit(), not quit(): Qt 6's quit() only asks the windows to close, which leaves a message box's own
    // loop running; exit() ends every running loop on Qt 5 and Qt 6 alike.
    QCoreApplication::exit(0);
}
