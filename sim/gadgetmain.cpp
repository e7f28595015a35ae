// lidora-gadget: the simulated evaluation board on the device side of a real USB link (a Linux USB gadget
// with a CDC ACM function and HID functions), so that the program on the host side meets the kernel's own
// hidraw, usbhid and cdc_acm drivers. scripts/board-vm builds the gadget and runs this inside a virtual
// machine.

#include "faultscheduler.h"
#include "gadgetboard.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "The simulated Lidora evaluation board behind a USB gadget. Requests on "
        "standard input: unplug, replug, silent, silent-sensor, stall, normal, frames.");
    parser.addHelpOption();
    const QCommandLineOption controlOption("control", "HID function of the control interface.", "node",
                                           "/dev/hidg1");
    const QCommandLineOption moduleOption("module", "HID function of the module interface.", "node",
                                          "/dev/hidg2");
    const QCommandLineOption serialOption("serial", "CDC ACM function of the serial port.", "node",
                                          "/dev/ttyGS0");
    const QCommandLineOption udcOption("udc", "The gadget's UDC file in configfs.", "file");
    const QCommandLineOption controllerOption("controller", "USB device controller that binds the gadget.",
                                              "name", "dummy_udc.0");
    const QCommandLineOption faultsOption("simulate-faults",
                                          "Goes through every fault the simulated board knows, in a loop.");
    parser.addOptions({controlOption, moduleOption, serialOption, udcOption, controllerOption, faultsOption});
    parser.process(application);

    LidoraSim::GadgetBoard board;
    const LidoraSim::GadgetBoard::Nodes nodes = {parser.value(controlOption), parser.value(moduleOption),
                                                 parser.value(serialOption), parser.value(udcOption),
                                                 parser.value(controllerOption)};
    if (!board.open(nodes))
        return 1;
    LidoraSim::FaultScheduler faults(board.usb());
    if (parser.isSet(faultsOption))
        faults.start();
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}
