#include "automationserver.h"

#include "automationsession.h"

#include <QTcpServer>
#include <QTcpSocket>

AutomationServer::AutomationServer(IAutomationTarget& target, QObject* parent)
    : QObject(parent), itsTarget(target), itsServer(new QTcpServer(this))
{
    connect(itsServer, &QTcpServer::newConnection, this, &AutomationServer::onServerNewConnection);
}

AutomationServer::~AutomationServer() = default;

bool AutomationServer::listen(quint16 port, QString* errorText)
{
    // Loopback only: the port is for programs on this PC, never for the network.
    if (itsServer->listen(QHostAddress::LocalHost, port))
        return true;
    if (errorText != nullptr)
        *errorText = itsServer->errorString();
    return false;
}

quint16 AutomationServer::port() const
{
    return itsServer->serverPort();
}

AutomationSession* AutomationServer::session() const
{
    return itsSession;
}

void AutomationServer::onServerNewConnection()
{
    while (QTcpSocket* socket = itsServer->nextPendingConnection())
    {
        // A client that reconnects at once after a drop must not be refused by its own dead connection.
        if (itsSession != nullptr && itsSession->isClosed())
            itsSession->end();
        if (itsSession != nullptr)
        {
            refuse(socket);
            continue;
        }
        itsSession = new AutomationSession(socket, itsTarget, this);
        connect(itsSession, &AutomationSession::ended, this, &AutomationServer::onSessionEnded);
        itsSession->start();
    }
}

void AutomationServer::onSessionEnded()
{
    auto* session = qobject_cast<AutomationSession*>(sender());
    if (session == itsSession)
        itsSession = nullptr;
    session->deleteLater();
}

void AutomationServer::refuse(QTcpSocket* socket)
{
    // One client at a time: the one connected keeps its record stream undisturbed. A refused client that
    // resets is gone before disconnectFromHost() returns, so the deletion is arranged first.
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->write("#ERR;;Another automation client is connected.\r\n");
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
}
