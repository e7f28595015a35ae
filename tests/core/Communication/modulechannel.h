#ifndef LIDORA_TESTS_MODULECHANNEL_H
#define LIDORA_TESTS_MODULECHANNEL_H

#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "hidcomdriver.h"
#include "simulatedhidbackend.h"

// The module channel as the program builds it for the board: the HID com driver on the module interface
// with its packet formatter, under a stream that flushes at once. Needs the simulated board on the USB.
struct ModuleChannel
{
    ModuleChannel() { driver.setFormatter(&formatter); }
    ~ModuleChannel() { stream.close(); }

    static NoxHid::HidComDeviceInfo moduleInterface()
    {
        NoxHid::HidComDeviceInfo info(LidoraSim::SimulatedHidBackend::VENDOR_ID,
                                      LidoraSim::SimulatedHidBackend::PRODUCT_ID);
        info.setPath("mi_04");
        return info;
    }

    NoxCore::Communication::ComStreamFormatter formatter;
    NoxHid::HidComDriver driver{moduleInterface()};
    NoxCore::Communication::ComStream stream{&driver,
                                             NoxCore::Communication::ComStream::theImmediateFlushPolicy};
};

#endif
