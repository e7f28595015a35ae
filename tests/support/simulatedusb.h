#ifndef LIDORA_TESTS_SIMULATEDUSB_H
#define LIDORA_TESTS_SIMULATEDUSB_H

#include "HidDevice/hidbackend.h"
#include "simulatedboard.h"
#include "simulatedhidbackend.h"

// The simulated board on the USB for the lifetime of the object: installed as the process's HID back end,
// so every HID driver finds it instead of the machine's hidraw nodes. Unplugged, it stands for a PC with
// no board at all.
struct SimulatedUsb
{
    explicit SimulatedUsb(bool plugged = true)
    {
        itsPrevious = NoxHid::HidBackend::install(&backend);
        if (!plugged)
            backend.unplug();
    }
    ~SimulatedUsb() { NoxHid::HidBackend::install(itsPrevious); }
    SimulatedUsb(const SimulatedUsb&) = delete;
    SimulatedUsb& operator=(const SimulatedUsb&) = delete;

    // The frames of one command the board received on its module channel.
    QList<QByteArray> moduleFrames(unsigned char protocol) const
    {
        QList<QByteArray> frames;
        for (const QByteArray& frame : backend.receivedFrames(LidoraSim::SimulatedBoard::Channel::Module))
            if (quint8(frame.at(0)) == protocol)
                frames.append(frame);
        return frames;
    }

    LidoraSim::SimulatedBoard board;
    LidoraSim::SimulatedHidBackend backend{board};

private:
    NoxHid::IHidBackend* itsPrevious;
};

#endif
