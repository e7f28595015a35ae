// The uevent text of a hidraw node's HID device, which the hidraw back end reads from sysfs for the ids,
// the name and the USB interface number.

#include "HidDevice/linux/hiduevent.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using NoxHid::HidUevent;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const HidUevent uevent(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    // What the back end relies on: no ids without a well-formed HID_ID, and an interface number that fits
    // the two hexadecimal digits of "mi_NN".
    if (!uevent.hasIds() && (uevent.vendorId() != 0 || uevent.productId() != 0))
        std::abort();
    if (uevent.interfaceNumber() < HidUevent::NO_INTERFACE_NUMBER || uevent.interfaceNumber() > 0xFF)
        std::abort();
    return 0;
}
