#include "automationsession.h"

#include "automationcommandparser.h"
#include "iautomationtarget.h"
#include "logging.h"

#include <QTcpSocket>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
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
}

void AutomationSession::onSocketBytesWritten()
{
    // Output the client has taken may make room for the next command.
    if (isConnected() && !itsCommands.isEmpty())
        itsCommandTimer.start();
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
    if (isConnected() && !itsCommands.isEmpty())
        itsCommandTimer.start();
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
