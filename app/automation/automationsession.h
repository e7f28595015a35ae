#ifndef LIDORA_AUTOMATIONSESSION_H
#define LIDORA_AUTOMATIONSESSION_H

#include <QObject>
#include <QStringList>
#include <QTimer>

class IAutomationTarget;
class Logging;
class QTcpSocket;

// One automation client from its greeting to its goodbye: owns the client's socket, the record writer bound
// to it and the queue of commands read but not yet carried out, and hands each command to the target.
//
// A connection can fail inside any write: Qt then closes the socket and emits disconnected() before write()
// returns. So the session never tears down from a socket signal: it queues end() for after the handler that
// noticed the failure has returned, and every step after a write checks that the connection still stands.
// Nothing here pumps events. After end() the session says ended() and may be deleted (deleteLater).
//
// A client that half-closes after its commands (printf 'm\n' | nc -N) gets every answer before the session
// ends: Qt closes a socket as soon as it reads the end of the stream, dropping what it has not sent yet, so
// once the client has ended its stream and commands still wait, Qt is kept from reading (see holdReads()).
// GUI thread only.
class AutomationSession : public QObject
{
    Q_OBJECT

public:
    // Flow control: no more reading while this many commands or command bytes wait (a read never brings more
    // than the room left), and no more commands carried out while this much output has not been taken.
    static constexpr int MAX_QUEUED_COMMANDS = 1024;
    static constexpr qint64 MAX_QUEUED_BYTES = 1024 * 1024;
    static constexpr qint64 MAX_UNSENT_BYTES = 1024 * 1024;
    static constexpr qint64 READ_BUFFER_BYTES = 64 * 1024;
    // How often a session with nothing to do checks that its client is still there (Windows only).
    static constexpr int END_WATCH_MS = 250;

    // Takes the connected socket over.
    AutomationSession(QTcpSocket* socket, IAutomationTarget& target, QObject* parent = nullptr);
    ~AutomationSession() override;

    // Switches the target to automation and greets the client with the version record.
    void start();
    // Lets the client go now. Never from inside the session's own handlers; they queue it.
    void end();

    // True once the connection is gone, also when its close has not been handled yet.
    bool isClosed() const;
    qint64 queuedCommandBytes() const { return itsQueuedBytes; }

signals:
    void ended();

private slots:
    void onSocketReadyRead();
    void onSocketBytesWritten();
    void onSocketLost();
    void onCommandTimerTimeout();

private:
    bool isConnected() const;
    void readCommands();
    void execute(const QString& command);
    // Keeps Qt from reading while work waits and nothing but the end of the stream may come next.
    void updateReadHold();
    void holdReads();
#ifdef _WIN32
    void answerBeforeTheEnd();
#endif

    IAutomationTarget& itsTarget;
    QTcpSocket* itsSocket;
    Logging* itsWriter;
    // Read but not carried out: one runs per turn of the event loop, so a flood neither freezes the window
    // nor makes the program read without bound.
    QStringList itsCommands;
    qint64 itsQueuedBytes = 0;
    QTimer itsCommandTimer;
#ifdef _WIN32
    QTimer itsEndWatch;
#endif
    bool itsHoldingReads = false;
    bool itsStarted = false;
    bool itsEndQueued = false;
    bool itsEnded = false;
};

#endif
