#include "signalquitter.h"

#include <QCoreApplication>

#include <csignal>
#ifndef _WIN32
#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace
{

#ifdef _WIN32
// Ctrl+C and Ctrl+Break in a console arrive as SIGINT and SIGBREAK, SIGTERM only when raised.
const int QUIT_SIGNALS[] = {SIGINT, SIGBREAK, SIGTERM};
SignalQuitter* activeQuitter = nullptr;

// Windows calls this on an ordinary thread (the console's own for Ctrl+C, the raising one otherwise), from
// where posting to the event loop is allowed: no pipe is needed.
extern "C" void postQuit(int signal)
{
    // The C runtime resets a handler to the default before calling it.
    std::signal(signal, postQuit);
    QMetaObject::invokeMethod(activeQuitter, "onQuitSignal", Qt::QueuedConnection);
}
#else
const int QUIT_SIGNALS[] = {SIGINT, SIGTERM};
int signalPipe[2] = {-1, -1};

extern "C" void writeSignalByte(int)
{
    const char byte = 1;
    // Nothing useful can be done about a full pipe: a quit is already pending then.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}
#endif

} // namespace

SignalQuitter::SignalQuitter(QObject* parent) : QObject(parent)
{
#ifdef _WIN32
    activeQuitter = this;
    for (const int signal : QUIT_SIGNALS)
        if (std::signal(signal, postQuit) == SIG_ERR)
            return;
    itsInstalled = true;
#else
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    struct sigaction action = {};
    action.sa_handler = writeSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : QUIT_SIGNALS)
        if (::sigaction(signal, &action, nullptr) != 0)
            return;

    itsNotifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(itsNotifier, &QSocketNotifier::activated, this, &SignalQuitter::onSignalPipeReadable);
    itsInstalled = true;
#endif
}

SignalQuitter::~SignalQuitter()
{
    for (const int signal : QUIT_SIGNALS)
        std::signal(signal, SIG_DFL);
#ifdef _WIN32
    activeQuitter = nullptr;
#else
    delete itsNotifier;
    for (int& fd : signalPipe)
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
}

#ifndef _WIN32
void SignalQuitter::onSignalPipeReadable()
{
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof(bytes)) > 0)
    {
    }
    onQuitSignal();
}
#endif

void SignalQuitter::onQuitSignal()
{
    itsQuitRequested = true;
    // exit(), not quit(): Qt 6's quit() only asks the windows to close, which leaves a message box's own
    // loop running; exit() ends every running loop on Qt 5 and Qt 6 alike.
    QCoreApplication::exit(0);
}
