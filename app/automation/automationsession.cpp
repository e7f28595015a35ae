#include "automationsession.h"

#include "automationcommandparser.h"
#include "iautomationtarget.h"
#include "logging.h"

#include <QTcpSocket>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#include <sys/ioctl.h>
#endif

namespace
{

int modeOf(const QString& command)
{
    if (command == QLatin1String("d"))
        return IAutomationTarget::DISTANCE_MODE;
    if (command == QLatin1String("p"))
        return IAutomationTarget::PROXIMITY_MODE;
    if (command == QLatin1String("b"))
        return IAutomationTarget::DISTANCE_PROXIMITY_MODE;
    return -1;
}

// The client has ended its stream (a half-close, or it left) and the kernel holds nothing of it that has
// not been read yet: what Qt reads next is the end.
bool streamEndsNext(qintptr descriptor)
{
#ifdef _WIN32
    const SOCKET socket = SOCKET(descriptor);
    u_long unread = 0;
    WSAPOLLFD peer = {socket, POLLRDNORM, 0};
    // Windows shows an ended stream as readable with nothing to read.
    return ::ioctlsocket(socket, FIONREAD, &unread) == 0 && unread == 0 && WSAPoll(&peer, 1, 0) > 0 &&
           (peer.revents & (POLLRDNORM | POLLHUP)) != 0;
#else
    int unread = 0;
    pollfd peer = {int(descriptor), POLLRDHUP, 0};
    return ::ioctl(int(descriptor), FIONREAD, &unread) == 0 && unread == 0 && ::poll(&peer, 1, 0) > 0 &&
           (peer.revents & POLLRDHUP) != 0;
#endif
}

} // namespace

AutomationSession::AutomationSession(QTcpSocket* socket, IAutomationTarget& target, QObject* parent)
    : QObject(parent), itsTarget(target), itsSocket(socket), itsWriter(new Logging(this))
{
    itsSocket->setParent(this);
    itsSocket->setReadBufferSize(READ_BUFFER_BYTES);
    // Each record goes out at once: without this the "#OBJ" line waits for the client's delayed
    // acknowledgement of the "#DEMODATA" line, some 40 ms per measurement.
    itsSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    itsWriter->setSocket(itsSocket);
    itsCommandTimer.setSingleShot(true);
    itsCommandTimer.setInterval(0);
    connect(&itsCommandTimer, &QTimer::timeout, this, &AutomationSession::onCommandTimerTimeout);
    connect(itsSocket, &QTcpSocket::readyRead, this, &AutomationSession::onSocketReadyRead);
    connect(itsSocket, &QTcpSocket::bytesWritten, this, &AutomationSession::onSocketBytesWritten);
    connect(itsSocket, &QTcpSocket::disconnected, this, &AutomationSession::onSocketLost);
    connect(itsSocket, &QAbstractSocket::errorOccurred, this, &AutomationSession::onSocketLost);
#ifdef _WIN32
    // Under Wine the notice of a client's reset that follows its last command closely can be lost, and Qt
    // then never reads the socket again: a session with nothing left to do asks the system now and then
    // whether its client is still there.
    itsEndWatch.setInterval(END_WATCH_MS);
    connect(&itsEndWatch, &QTimer::timeout, this,
            [this]
            {
                if (itsCommands.isEmpty() && itsSocket->bytesToWrite() == 0 && isClosed())
                    onSocketLost();
            });
    itsEndWatch.start();
#endif
}

AutomationSession::~AutomationSession()
{
    // The target may be half gone already: a session deleted without end() does not call it back.
    itsSocket->disconnect(this);
}

void AutomationSession::start()
{
    itsStarted = true;
    itsTarget.automationStarted(itsWriter);
    itsWriter->writeText(itsTarget.versionRecord());
    // The writer's text file, not the client, gets the calibration (see docs/automation.md).
    if (isConnected())
        for (const QString& line : itsTarget.calibrationLines())
            itsWriter->writeFileText(line);
    // A client that reset before it was taken on never says disconnected().
    if (!isConnected())
        onSocketLost();
}

void AutomationSession::end()
{
    if (itsEnded)
        return;
    itsEnded = true;
    itsCommandTimer.stop();
#ifdef _WIN32
    itsEndWatch.stop();
#endif
    itsCommands.clear();
    itsQueuedBytes = 0;
    itsSocket->disconnect(this);
    itsWriter->setSocket(nullptr);
    if (itsStarted)
        itsTarget.automationEnded();
    itsSocket->abort();
    emit ended();
}

bool AutomationSession::isConnected() const
{
    return !itsEndQueued && !itsEnded && itsSocket->state() == QAbstractSocket::ConnectedState;
}

bool AutomationSession::isClosed() const
{
    if (!isConnected())
        return true;
        // Qt learns of a close only when it next reads the socket, which may be after a newcomer asks in: the
        // kernel knows already.
#ifdef _WIN32
    WSAPOLLFD peer = {SOCKET(itsSocket->socketDescriptor()), POLLRDNORM, 0};
    return WSAPoll(&peer, 1, 0) > 0 && (peer.revents & (POLLHUP | POLLERR)) != 0;
#else
    pollfd peer = {int(itsSocket->socketDescriptor()), POLLRDHUP, 0};
    return ::poll(&peer, 1, 0) > 0 && (peer.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
#endif
}

void AutomationSession::onSocketLost()
{
    if (itsEndQueued || itsEnded)
        return;
    itsEndQueued = true;
    itsCommandTimer.stop();
    QMetaObject::invokeMethod(this, &AutomationSession::end, Qt::QueuedConnection);
}

void AutomationSession::onSocketReadyRead()
{
    readCommands();
    if (!itsCommands.isEmpty())
        itsCommandTimer.start();
    updateReadHold();
}

void AutomationSession::onSocketBytesWritten()
{
    // Output the client has taken may make room for the next command.
    if (isConnected() && !itsCommands.isEmpty())
        itsCommandTimer.start();
    updateReadHold();
}

void AutomationSession::updateReadHold()
{
    if (!isConnected())
        return;
    const bool working = !itsCommands.isEmpty() || itsSocket->bytesToWrite() > 0;
    if (!working)
    {
        if (itsHoldingReads)
        {
            itsHoldingReads = false;
            itsSocket->setReadBufferSize(READ_BUFFER_BYTES);
        }
        return;
    }
    // Only the end of the stream is held back: the client has sent all it will send, and all of it has been
    // read from the kernel.
    if (itsHoldingReads || streamEndsNext(itsSocket->socketDescriptor()))
        holdReads();
}

#ifdef _WIN32
void AutomationSession::answerBeforeTheEnd()
{
    // Qt on Windows learns of the end from a notice of its own that reads past the limit that holds reads
    // back, and closes the socket then: what the client asked for before its end is answered now, before
    // the event loop turns again, as far as a client that does not read its answers is given any.
    if (!isConnected() || itsCommands.isEmpty() || !streamEndsNext(itsSocket->socketDescriptor()))
        return;
    while (isConnected() && !itsCommands.isEmpty() && itsSocket->bytesToWrite() <= MAX_UNSENT_BYTES)
    {
        const QString command = itsCommands.takeFirst();
        itsQueuedBytes -= command.size();
        execute(command);
        readCommands();
    }
}
#endif

void AutomationSession::holdReads()
{
    // Qt reads no more from the kernel while its read buffer holds as much as its limit. Its buffer is
    // given something to hold, a line break put back (an empty line, which is no command), and the limit
    // set to what it holds.
    if (itsSocket->bytesAvailable() == 0)
        itsSocket->ungetChar('\n');
    itsSocket->setReadBufferSize(itsSocket->bytesAvailable());
    itsHoldingReads = true;
}

void AutomationSession::readCommands()
{
    while (isConnected() && itsSocket->bytesAvailable() > 0 && itsCommands.size() < MAX_QUEUED_COMMANDS &&
           itsQueuedBytes < MAX_QUEUED_BYTES)
    {
        // No more than the room left, in bytes and in commands: every command but the last of a read ends
        // with a line break, so the read stops after as many line breaks as there is room for commands.
        const QByteArray ahead =
            itsSocket->peek(qMin(itsSocket->bytesAvailable(), MAX_QUEUED_BYTES - itsQueuedBytes));
        int take = ahead.size();
        int lineBreaks = 0;
        for (int at = 0; at < ahead.size() && take == ahead.size(); ++at)
            if ((ahead[at] == '\n' || ahead[at] == '\r') &&
                ++lineBreaks == MAX_QUEUED_COMMANDS - itsCommands.size())
                take = at + 1;
        for (const QString& command : AutomationCommandParser::parse(itsSocket->read(take)))
        {
            itsCommands.append(command);
            itsQueuedBytes += command.size();
        }
    }
}

void AutomationSession::onCommandTimerTimeout()
{
    if (!isConnected())
        return;
    // A client that does not take its records gets no new ones until it does.
    if (itsSocket->bytesToWrite() > MAX_UNSENT_BYTES)
        return;
    if (!itsCommands.isEmpty())
    {
        const QString command = itsCommands.takeFirst();
        itsQueuedBytes -= command.size();
        execute(command);
    }
    // Commands left in the socket while the queue was full are read once there is room again.
    readCommands();
#ifdef _WIN32
    answerBeforeTheEnd();
#endif
    if (isConnected() && !itsCommands.isEmpty())
        itsCommandTimer.start();
    updateReadHold();
}

void AutomationSession::execute(const QString& command)
{
    if (!itsTarget.isTargetConnected())
    {
        itsWriter->writeText(Logging::noTargetRecord());
        return;
    }
    const int mode = modeOf(command);
    if (mode >= 0)
        itsTarget.selectOperationMode(mode);
    else
        itsTarget.measureOnce();
}
