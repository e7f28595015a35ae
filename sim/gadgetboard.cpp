#include "gadgetboard.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace LidoraSim
{

GadgetBoard::GadgetBoard(QObject* parent)
    : QObject(parent), itsUsb(itsBoard), itsControl(itsUsb, SimulatedHidBackend::CONTROL_PATH, "control"),
      itsModule(itsUsb, SimulatedHidBackend::MODULE_PATH, "module"),
      itsCommandNotifier(STDIN_FILENO, QSocketNotifier::Read)
{
    connect(&itsCommandNotifier, &QSocketNotifier::activated, this,
            &GadgetBoard::onItsCommandNotifierActivated);
    itsUsb.setPlugObserver([this](bool isPlugged) { onUsbPlugChanged(isPlugged); });
    connect(&itsControl, &GadgetPort::reportTaken, this, &GadgetBoard::onPortReportTaken);
    connect(&itsModule, &GadgetPort::reportTaken, this, &GadgetBoard::onPortReportTaken);
}

GadgetBoard::~GadgetBoard()
{
    itsUsb.setPlugObserver(nullptr);
    if (itsSerialFd >= 0)
        ::close(itsSerialFd);
}

bool GadgetBoard::open(const Nodes& nodes)
{
    itsNodes = nodes;
    return plugIn();
}

bool GadgetBoard::fail(const QString& what)
{
    std::fprintf(stderr, "lidora-gadget: cannot open %s: %s\n", what.toLocal8Bit().constData(),
                 std::strerror(errno));
    return false;
}

bool GadgetBoard::plugIn()
{
    // An unplug hangs up the serial port's terminal, which then refuses every line: each plug opens it
    // anew, so that the console goes on after a replug as the board's does. The host may never read the
    // console: its lines are dropped rather than held up.
    if (itsSerialFd >= 0)
        ::close(itsSerialFd);
    itsSerialFd =
        ::open(itsNodes.serial.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (itsSerialFd < 0)
        return fail(itsNodes.serial);
    QFile udc(itsNodes.udcFile);
    const QByteArray name = itsNodes.controller.toLocal8Bit() + '\n';
    if (!udc.open(QIODevice::WriteOnly) || udc.write(name) != name.size())
        return fail(itsNodes.udcFile);
    udc.close();
    // The functions' nodes come and go with the binding.
    if (!itsControl.open(itsNodes.control))
        return fail(itsNodes.control);
    if (!itsModule.open(itsNodes.module))
        return fail(itsNodes.module);
    return true;
}

void GadgetBoard::onUsbPlugChanged(bool isPlugged)
{
    if (isPlugged)
    {
        plugIn();
        return;
    }
    itsControl.close();
    itsModule.close();
    // An empty name unbinds the gadget: the host sees the device go.
    QFile udc(itsNodes.udcFile);
    if (!udc.open(QIODevice::WriteOnly) || udc.write("\n") != 1)
        fail(itsNodes.udcFile);
}

void GadgetBoard::onPortReportTaken(const QByteArray& interfaceName, int sequence)
{
    const QByteArray line = interfaceName + " report " + QByteArray::number(sequence) + "\r\n";
    // Nobody listening (EIO) or a full port (EAGAIN): the line is lost, as on the board's own console.
    if (::write(itsSerialFd, line.constData(), std::size_t(line.size())) < 0)
        return;
}

void GadgetBoard::onItsCommandNotifierActivated()
{
    char bytes[256];
    const ssize_t count = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (count <= 0)
    {
        // Whoever drives the board has gone; so does the board, unplugged first: the kernel holds up closing
        // a connected serial function for up to 15 s while the host leaves console lines unread.
        itsCommandNotifier.setEnabled(false);
        if (itsUsb.isPlugged())
            itsUsb.unplug();
        QCoreApplication::quit();
        return;
    }
    itsCommandLine.append(bytes, int(count));
    for (int end = itsCommandLine.indexOf('\n'); end >= 0; end = itsCommandLine.indexOf('\n'))
    {
        carryOut(itsCommandLine.left(end).trimmed());
        itsCommandLine.remove(0, end + 1);
    }
}

void GadgetBoard::carryOut(const QByteArray& request)
{
    if (request == "unplug")
        itsUsb.unplug();
    else if (request == "replug")
        itsUsb.replug();
    else if (request == "silent")
        itsBoard.setFault(SimulatedBoard::Fault::Silent);
    else if (request == "silent-sensor")
    {
        itsBoard.setFault(SimulatedBoard::Channel::Control, SimulatedBoard::Fault::None);
        itsBoard.setFault(SimulatedBoard::Channel::Module, SimulatedBoard::Fault::SilentSensor);
    }
    else if (request == "stall")
    {
        itsControl.setReading(false);
        itsModule.setReading(false);
    }
    else if (request == "normal")
    {
        itsBoard.setFault(SimulatedBoard::Fault::None);
        itsControl.setReading(true);
        itsModule.setReading(true);
    }
    else if (request == "frames")
    {
        QByteArray line("frames");
        for (const QByteArray& frame : itsUsb.receivedFrames(SimulatedBoard::Channel::Module))
            line += ' ' + frame.toHex();
        itsUsb.clearReceivedFrames();
        std::printf("%s\n", line.constData());
    }
    else
    {
        std::printf("unknown request %s\n", request.constData());
        std::fflush(stdout);
        return;
    }
    std::printf("done %s\n", request.constData());
    std::fflush(stdout);
}

} // namespace LidoraSim
