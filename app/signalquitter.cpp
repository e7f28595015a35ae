#include "signalquitter.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{

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

} // namespace

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
    connect(itsNotifier, &QSocketNotifier::activated, this, &SignalQuitter::onSignalPipeReadable);
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
    itsQuitRequested = true;
    // exit(), not quit(): Qt 6's quit() only asks the windows to close, which leaves a message box's own
    // loop running; exit() ends every running loop on Qt 5 and Qt 6 alike.
    QCoreApplication::exit(0);
}
