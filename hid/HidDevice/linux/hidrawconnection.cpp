#include "hidrawconnection.h"

#include "HidDevice/ihiddevice.h"

#include <QString>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace NoxHid
{

namespace
{

const short HANG_UP_EVENTS = POLLHUP | POLLERR | POLLNVAL;
// The product-string query of the HID com driver asks for 255 characters and a terminator.
const std::size_t MAX_NAME_SIZE = 256;

// The end of a time-out that starts now; poll() takes what is left of it.
class Deadline
{
public:
    explicit Deadline(unsigned int timeoutMs)
        : itsIsInfinite(timeoutMs == HID_TIMEOUT_INFINITE),
          itsEnd(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs))
    {
    }

    // -1 waits without limit, as poll() reads it.
    int remainingMs() const
    {
        if (itsIsInfinite)
            return -1;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(itsEnd - std::chrono::steady_clock::now());
        return int(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    }

private:
    bool itsIsInfinite;
    std::chrono::steady_clock::time_point itsEnd;
};

// Waits until the node reports one of events, a hang-up or an error; *revents says which.
IHidConnection::Transfer waitFor(int fd, short events, const Deadline& deadline, short* revents)
{
    for (;;)
    {
        pollfd node = {fd, events, 0};
        const int ready = ::poll(&node, 1, deadline.remainingMs());
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return IHidConnection::Transfer::Failed;
        if (ready == 0)
            return IHidConnection::Transfer::TimedOut;
        *revents = node.revents;
        return IHidConnection::Transfer::Done;
    }
}

// A vanished device hangs up at once.
bool isHungUp(int fd)
{
    pollfd node = {fd, 0, 0};
    return ::poll(&node, 1, 0) < 0 || (node.revents & HANG_UP_EVENTS) != 0;
}

bool isRetryable(int error)
{
    return error == EINTR || error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

HidrawConnection::HidrawConnection(int fd, quint16 vendorId, quint16 productId,
                                   const HidReportDescriptor& descriptor, const QByteArray& name)
    : itsFd(fd), itsVendorId(vendorId), itsProductId(productId), itsDescriptor(descriptor), itsName(name)
{
}

HidrawConnection::~HidrawConnection()
{
    ::close(itsFd);
}

quint16 HidrawConnection::vendorId() const
{
    return itsVendorId;
}

quint16 HidrawConnection::productId() const
{
    return itsProductId;
}

quint16 HidrawConnection::inputReportLength() const
{
    return itsDescriptor.inputReportLength();
}

quint16 HidrawConnection::outputReportLength() const
{
    return itsDescriptor.outputReportLength();
}

bool HidrawConnection::productString(std::wstring* text)
{
    // Asking poll() first also covers nodes that know no hidraw ioctl.
    if (isHungUp(itsFd))
        return false;
    char name[MAX_NAME_SIZE] = {};
    const int result = ::ioctl(itsFd, HIDIOCGRAWNAME(MAX_NAME_SIZE), name);
    if (result >= 0)
    {
        // The kernel does not terminate a name that fills the buffer.
        *text = QString::fromUtf8(name, int(strnlen(name, MAX_NAME_SIZE))).toStdWString();
        return true;
    }
    // Not a hidraw node (a test's socket): the name sysfs gave at open is all there is to tell.
    if (errno == ENOTTY)
    {
        *text = QString::fromUtf8(itsName).toStdWString();
        return true;
    }
    return false;
}

IHidConnection::Transfer HidrawConnection::read(unsigned char* buffer, unsigned int size,
                                                unsigned int timeoutMs, unsigned int* transferred)
{
    *transferred = 0;
    // hidraw leaves the report-id byte out of unnumbered reports but keeps it in numbered ones. Putting 0
    // back in front gives the device layer the same whole report on every platform (65 bytes for the
    // board's 64-byte reports), so its report-id handling is written once.
    const unsigned int idBytes = itsDescriptor.numbersReports() ? 0 : 1;
    if (size < idBytes)
        return Transfer::Failed;
    const Deadline deadline(timeoutMs);
    for (;;)
    {
        short revents = 0;
        const Transfer waited = waitFor(itsFd, POLLIN, deadline, &revents);
        if (waited != Transfer::Done)
            return waited;
        // Reports that arrived before a hang-up are still handed out; the read after them fails.
        if ((revents & POLLIN) == 0)
            return Transfer::Failed;
        // A datagram longer than the room left is cut to it, never written past the buffer.
        const ssize_t count = ::read(itsFd, buffer + idBytes, size - idBytes);
        if (count < 0 && isRetryable(errno))
            continue;
        // EIO: the device went away. End of file: the other side of a stand-in node is gone.
        if (count < 0 || (count == 0 && (revents & HANG_UP_EVENTS) != 0))
            return Transfer::Failed;
        if (idBytes != 0)
            buffer[0] = 0;
        *transferred = unsigned(count) + idBytes;
        return Transfer::Done;
    }
}

IHidConnection::Transfer HidrawConnection::write(const unsigned char* data, unsigned int length,
                                                 unsigned int timeoutMs)
{
    // hidraw wants the report-id byte in front of every report, 0 for unnumbered ones, and drops that 0
    // itself: the report goes out as the device layer built it. The kernel carries a hidraw write out
    // before it returns, and before about Linux 5.5 hidraw never reports POLLOUT at all, so nothing is
    // waited for before the write but a hang-up. Only a node that refuses the report for now (EAGAIN, which
    // a socket standing in for a node does when full) is waited on, up to the time-out.
    if (isHungUp(itsFd))
        return Transfer::Failed;
    const Deadline deadline(timeoutMs);
    for (;;)
    {
        const ssize_t count = ::write(itsFd, data, length);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && isRetryable(errno))
        {
            short revents = 0;
            const Transfer waited = waitFor(itsFd, POLLOUT, deadline, &revents);
            if (waited != Transfer::Done)
                return waited;
            if ((revents & HANG_UP_EVENTS) != 0)
                return Transfer::Failed;
            continue;
        }
        // ENODEV: the device went away. A part of a report is no report.
        return count == ssize_t(length) ? Transfer::Done : Transfer::Failed;
    }
}

} // namespace NoxHid
