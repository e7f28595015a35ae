#include "gadgetport.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace LidoraSim
{

namespace
{

// The function's reports: the simulated USB's without the report-id byte in front.
constexpr unsigned int GADGET_REPORT_SIZE = SimulatedHidBackend::REPORT_SIZE - 1;

} // namespace

GadgetPort::GadgetPort(SimulatedHidBackend& usb, const char* interfacePath, const QByteArray& interfaceName,
                       QObject* parent)
    : QObject(parent), itsUsb(usb), itsInterfacePath(interfacePath), itsInterfaceName(interfaceName)
{
}

GadgetPort::~GadgetPort()
{
    close();
}

bool GadgetPort::open(const QString& nodePath)
{
    close();
    itsFd = ::open(nodePath.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (itsFd < 0)
        return false;
    itsReadNotifier = std::make_unique<QSocketNotifier>(itsFd, QSocketNotifier::Read);
    connect(itsReadNotifier.get(), &QSocketNotifier::activated, this,
            &GadgetPort::onItsReadNotifierActivated);
    itsWriteNotifier = std::make_unique<QSocketNotifier>(itsFd, QSocketNotifier::Write);
    itsWriteNotifier->setEnabled(false);
    connect(itsWriteNotifier.get(), &QSocketNotifier::activated, this,
            &GadgetPort::onItsWriteNotifierActivated);
    return true;
}

void GadgetPort::close()
{
    itsReadNotifier.reset();
    itsWriteNotifier.reset();
    if (itsFd >= 0)
        ::close(itsFd);
    itsFd = -1;
    itsPendingReports.clear();
    itsConnection.reset();
}

void GadgetPort::setReading(bool isReading)
{
    if (itsReadNotifier != nullptr)
        itsReadNotifier->setEnabled(isReading);
}

void GadgetPort::onItsReadNotifierActivated()
{
    unsigned char report[SimulatedHidBackend::REPORT_SIZE] = {};
    for (;;)
    {
        const ssize_t count = ::read(itsFd, report + 1, GADGET_REPORT_SIZE);
        if (count <= 0)
            break;
        passToBoard(report, 1 + unsigned(count));
    }
    sendPendingReports();
}

void GadgetPort::onItsWriteNotifierActivated()
{
    sendPendingReports();
}

void GadgetPort::passToBoard(const unsigned char* report, unsigned int length)
{
    if (!itsUsb.isPlugged())
        return;
    // The board's interface is opened on first use and again after every unplug of the simulated USB.
    if (itsConnection == nullptr ||
        itsConnection->write(report, length, 0) != NoxHid::IHidConnection::Transfer::Done)
    {
        itsConnection = itsUsb.open(itsInterfacePath);
        if (itsConnection == nullptr ||
            itsConnection->write(report, length, 0) != NoxHid::IHidConnection::Transfer::Done)
            return;
    }
    // The transport header's first byte: the sequence number.
    emit reportTaken(itsInterfaceName, report[1]);
    unsigned char answer[SimulatedHidBackend::REPORT_SIZE] = {};
    unsigned int transferred = 0;
    while (itsConnection->read(answer, sizeof answer, 0, &transferred) ==
           NoxHid::IHidConnection::Transfer::Done)
        itsPendingReports.emplace_back(reinterpret_cast<const char*>(answer + 1), int(GADGET_REPORT_SIZE));
}

void GadgetPort::sendPendingReports()
{
    while (!itsPendingReports.empty())
    {
        const QByteArray& report = itsPendingReports.front();
        const ssize_t count = ::write(itsFd, report.constData(), std::size_t(report.size()));
        // The function takes one report at a time and refuses the next until the host has fetched it.
        if (count < 0 && errno == EAGAIN)
            break;
        // Anything else (the link is down) loses the report, as it would on a real link.
        itsPendingReports.pop_front();
    }
    itsWriteNotifier->setEnabled(!itsPendingReports.empty());
}

} // namespace LidoraSim
