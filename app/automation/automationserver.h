#ifndef LIDORA_AUTOMATIONSERVER_H
#define LIDORA_AUTOMATIONSERVER_H

#include <QObject>
#include <QPointer>

class AutomationSession;
class IAutomationTarget;
class QTcpServer;
class QTcpSocket;

// The automation port: listens on the loopback interface only and serves one client at a time through an
// AutomationSession; a second client is told so and let go, unless the first one's connection has closed
// already, which then makes room for the newcomer. GUI thread only.
class AutomationServer : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 PORT = 39999;

    // target must outlive the server; a server deleted with its client connected does not call it back.
    explicit AutomationServer(IAutomationTarget& target, QObject* parent = nullptr);
    ~AutomationServer() override;

    // port 0 takes any free one (for tests). On failure errorText (if given) says why.
    bool listen(quint16 port, QString* errorText);
    quint16 port() const;
    // The client being served, or null.
    AutomationSession* session() const;

private slots:
    void onServerNewConnection();
    void onSessionEnded();

private:
    void refuse(QTcpSocket* socket);

    IAutomationTarget& itsTarget;
    QTcpServer* itsServer;
    QPointer<AutomationSession> itsSession;
};

#endif
