#ifndef LIDORA_TESTS_BOARDCHANNEL_H
#define LIDORA_TESTS_BOARDCHANNEL_H

#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "hidcomdriver.h"
#include "simulatedhidbackend.h"

// One channel to the board as the program builds it: the HID com driver on the interface the path filter
// names ("mi_03" control, "mi_04" module) with its packet formatter, under a stream that flushes at once.
// Opens only with a board on the USB (support/simulatedusb.h).
struct BoardChannel
{
    explicit BoardChannel(const char* pathFilter) : driver(interface(pathFilter))
    {
        driver.setFormatter(&formatter);
    }
    ~BoardChannel() { stream.close(); }
    BoardChannel(const BoardChannel&) = delete;
    BoardChannel& operator=(const BoardChannel&) = delete;

    static NoxHid::HidComDeviceInfo interface(const char* pathFilter)
    {
        NoxHid::HidComDeviceInfo info(LidoraSim::SimulatedHidBackend::VENDOR_ID,
                                      LidoraSim::SimulatedHidBackend::PRODUCT_ID);
        info.setPath(pathFilter);
        return info;
    }

    NoxCore::Communication::ComStreamFormatter formatter;
    NoxHid::HidComDriver driver;
    NoxCore::Communication::ComStream stream{&driver,
                                             NoxCore::Communication::ComStream::theImmediateFlushPolicy};
};

#endif
