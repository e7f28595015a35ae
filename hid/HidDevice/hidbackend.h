#ifndef NOXHID_HIDDEVICE_HIDBACKEND_H
#define NOXHID_HIDDEVICE_HIDBACKEND_H

#include "ihidbackend.h"

namespace NoxHid
{

// Holds the process's active HID back end: the platform's own (hidraw on Linux) unless another one is
// installed. Install before any HidDevice opens and restore after the last one closed; a connection stays
// with the back end that opened it.
class HidBackend
{
public:
    static IHidBackend& active();
    // Makes backend the active one (not owned; it must outlive its installation); null restores the
    // platform's. Returns what was installed before (null for the platform's), so that
    // install(previous) undoes the installation.
    static IHidBackend* install(IHidBackend* backend);
};

} // namespace NoxHid

#endif
