#ifndef LIDORA_TESTS_RAWCLIENT_H
#define LIDORA_TESTS_RAWCLIENT_H

#include <QByteArray>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

#ifdef _WIN32
// Without the COM headers, whose "interface" macro would rename members called so.
#define WIN32_LEAN_AND_MEAN
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

// A TCP client on plain sockets that never blocks: the server under test runs in this thread's event loop,
// which waitUntil() turns while it waits. It can also do what QTcpSocket never does: close with a reset
// (SO_LINGER 0, as port probes and killed programs do) and half-close.
class RawClient
{
public:
    explicit RawClient(quint16 port) : itsFd(openNonBlocking())
    {
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // Loopback connects complete in the kernel's backlog without the server's help, unless the backlog
        // is full: then the connect goes on in the background.
        if (isOpen() && ::connect(itsFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 &&
            !connectInProgress())
            close();
    }
    ~RawClient() { close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool isOpen() const { return itsFd != NO_SOCKET; }

    // What the socket takes without waiting.
    qint64 send(const QByteArray& bytes)
    {
        return isOpen() ? ::send(itsFd, bytes.constData(), bytes.size(), NO_SIGPIPE) : -1;
    }
    // What has arrived, without waiting.
    QByteArray receive()
    {
        QByteArray received;
        char buffer[4096];
        int count = 0;
        while (isOpen() && (count = int(::recv(itsFd, buffer, sizeof(buffer), 0))) > 0)
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
        return isOpen() && ::recv(itsFd, &next, 1, MSG_PEEK) == 0;
    }
    void halfClose() { ::shutdown(itsFd, SEND_SIDE); }
    void reset()
    {
        const linger abortive = {1, 0};
        ::setsockopt(itsFd, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive),
                     sizeof(abortive));
        close();
    }
    void close()
    {
        if (isOpen())
            closeSocket(itsFd);
        itsFd = NO_SOCKET;
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
#ifdef _WIN32
    using Socket = SOCKET;
    static constexpr Socket NO_SOCKET = INVALID_SOCKET;
    static constexpr int NO_SIGPIPE = 0;
    static constexpr int SEND_SIDE = SD_SEND;

    static Socket openNonBlocking()
    {
        // Qt's network classes start Winsock too; this client may be the first to need it.
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        Socket socket = ::socket(AF_INET, SOCK_STREAM, 0);
        u_long nonBlocking = 1;
        if (socket == NO_SOCKET)
            WSACleanup();
        else
            ioctlsocket(socket, FIONBIO, &nonBlocking);
        return socket;
    }
    static bool connectInProgress()
    {
        return WSAGetLastError() == WSAEWOULDBLOCK;
    }
    static void closeSocket(Socket socket)
    {
        closesocket(socket);
        WSACleanup();
    }
#else
    using Socket = int;
    static constexpr Socket NO_SOCKET = -1;
    static constexpr int NO_SIGPIPE = MSG_NOSIGNAL;
    static constexpr int SEND_SIDE = SHUT_WR;

    static Socket openNonBlocking()
    {
        return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    }
    static bool connectInProgress()
    {
        return errno == EINPROGRESS;
    }
    static void closeSocket(Socket socket)
    {
        ::close(socket);
    }
#endif

    Socket itsFd;
};

#endif
