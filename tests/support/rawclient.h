#ifndef LIDORA_TESTS_RAWCLIENT_H
#define LIDORA_TESTS_RAWCLIENT_H

#include <QByteArray>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A TCP client on plain sockets that never blocks: the server under test runs in this thread's event loop,
// which waitUntil() turns while it waits. It can also do what QTcpSocket never does: close with a reset
// (SO_LINGER 0, as port probes and killed programs do) and half-close.
class RawClient
{
public:
    explicit RawClient(quint16 port) : itsFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0))
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // Loopback connects complete in the kernel's backlog without the server's help, unless the backlog
        // is full: then the connect goes on in the background.
        if (::connect(itsFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 &&
            errno != EINPROGRESS)
            close();
    }
    ~RawClient() { close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool isOpen() const { return itsFd >= 0; }

    // What the socket takes without waiting.
    qint64 send(const QByteArray& bytes)
    {
        return isOpen() ? ::send(itsFd, bytes.constData(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL)
                        : -1;
    }
    // What has arrived, without waiting.
    QByteArray receive()
    {
        QByteArray received;
        char buffer[4096];
        ssize_t count = 0;
        while (isOpen() && (count = ::recv(itsFd, buffer, sizeof(buffer), MSG_DONTWAIT)) > 0)
            received.append(buffer, int(count));
        return received;
    }
    // Turns the event loop until lines (or more) complete lines have arrived after what came before.
    QByteArray receiveLines(int lines, int timeoutMs = 5000)
    {
        QByteArray received;
        waitUntil([&] { return (received += receive()).count('\n') >= lines; }, timeoutMs);
        return received;
    }
    // True once the other side has closed and everything it sent before has been received.
    bool peerClosed()
    {
        char next = 0;
        return isOpen() && ::recv(itsFd, &next, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
    }
    void halfClose() { ::shutdown(itsFd, SHUT_WR); }
    void reset()
    {
        const linger abortive = {1, 0};
        ::setsockopt(itsFd, SOL_SOCKET, SO_LINGER, &abortive, sizeof(abortive));
        close();
    }
    void close()
    {
        if (itsFd >= 0)
            ::close(itsFd);
        itsFd = -1;
    }

    // Turns the event loop until condition holds; false after timeoutMs.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!condition())
        {
            if (deadline.hasExpired())
                return false;
            // A turn of a real event loop, so that deferred deletions happen as they do in the program.
            QEventLoop turn;
            QTimer::singleShot(1, &turn, &QEventLoop::quit);
            turn.exec();
        }
        return true;
    }

private:
    int itsFd;
};

#endif
