#ifndef NOXHID_HIDDEVICE_IHIDBACKEND_H
#define NOXHID_HIDDEVICE_IHIDBACKEND_H

#include "ihidconnection.h"

#include <memory>
#include <string>
#include <vector>

namespace NoxHid
{

// What HidDevice needs of a platform: the HID interfaces that are present, and exclusive access to one of
// them. HidDevice keeps every rule above that (result codes, report-id byte, filters, time-out checks), so
// a back end only moves reports. The process uses one back end at a time, the active one of HidBackend:
// the platform's by default, a simulated board or a test's fake when installed.
class IHidBackend
{
public:
    virtual ~IHidBackend() = default;

    // The paths of the HID interfaces present now, in a stable order: the same interfaces come in the same
    // order until a device is plugged in or out. A path is a zero-free text of at most 259 characters that
    // names one interface for open(); the stack selects interfaces by substrings such as "mi_03", so a
    // path should carry the USB interface number as "mi_" and two lower-case hexadecimal digits.
    virtual std::vector<std::string> interfacePaths() = 0;

    // Opens the interface with this path exclusively: while the connection lives, every further open of the
    // same interface, from this process or another, returns null. Also null when the interface is gone,
    // cannot be accessed or does not describe its reports.
    virtual std::unique_ptr<IHidConnection> open(const std::string& path) = 0;
};

} // namespace NoxHid

#endif
