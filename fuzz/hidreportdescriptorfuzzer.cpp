// The report descriptor of a hidraw node, from which the hidraw back end takes the report lengths.

#include "HidDevice/linux/hidreportdescriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using NoxHid::HidReportDescriptor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HidReportDescriptor descriptor;
    const bool parsed = descriptor.parse(data, size);
    // A descriptor that does not parse must describe no reports, so that the back end refuses the interface.
    if (!parsed && (descriptor.inputReportLength() != 0 || descriptor.outputReportLength() != 0 ||
                    descriptor.numbersReports()))
        std::abort();
    return 0;
}
