#ifndef LIDORASIM_GADGETBOARD_H
#define LIDORASIM_GADGETBOARD_H

#include "gadgetport.h"
#include "simulatedboard.h"
#include "simulatedhidbackend.h"

#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <memory>

namespace LidoraSim
{

// The simulated board behind a real USB link: its firmware answers on the HID functions of a Linux USB
// gadget (control and module interface), and its serial port (the gadget's CDC ACM function) carries one
// line per report it takes, the way the board's debug console does. Unplugging the simulated USB, by the
// fault scheduler or on request, unbinds the gadget from its USB device controller, so the host sees a
// real unplug; replugging binds it again.
//
// Takes requests, one per line, on a command channel (standard input): "unplug", "replug", "silent"
// (the firmware takes every frame and answers none), "silent-sensor" (the controller answers, the sensor
// module's own commands are not answered), "stall" (no output report is taken any more),
// "normal" (back from all of these), "frames" (a line "frames" followed by the request frames the module
// channel took since the last such request, each in hexadecimal: what a program sent through its stack). Each
// is confirmed with a line "done <request>" on standard output once carried out. When the channel closes,
// the board unplugs and the program ends.
class GadgetBoard : public QObject
{
    Q_OBJECT

public:
    struct Nodes
    {
        QString control;
        QString module;
        QString serial;
        // The gadget's UDC file in configfs and the controller name that binds it.
        QString udcFile;
        QString controller;
    };

    explicit GadgetBoard(QObject* parent = nullptr);
    ~GadgetBoard() override;

    // Opens the serial port, binds the gadget to its controller and opens its HID functions; false (with a
    // message on standard error) when one of them fails.
    bool open(const Nodes& nodes);
    SimulatedHidBackend& usb() { return itsUsb; }

private slots:
    void onPortReportTaken(const QByteArray& interfaceName, int sequence);
    void onItsCommandNotifierActivated();

private:
    void onUsbPlugChanged(bool isPlugged);
    bool plugIn();
    static bool fail(const QString& what);
    void carryOut(const QByteArray& request);

    SimulatedBoard itsBoard;
    SimulatedHidBackend itsUsb;
    GadgetPort itsControl;
    GadgetPort itsModule;
    Nodes itsNodes;
    int itsSerialFd = -1;
    QSocketNotifier itsCommandNotifier;
    QByteArray itsCommandLine;
};

} // namespace LidoraSim

#endif
