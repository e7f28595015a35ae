#include "hidbackend.h"

#include "linux/hidrawbackend.h"

#include <atomic>

namespace NoxHid
{

namespace
{

std::atomic<IHidBackend*> installedBackend{nullptr};

IHidBackend& platformBackend()
{
    static HidrawBackend backend(HidrawBackend::SYSFS_ROOT, HidrawBackend::DEV_ROOT);
    return backend;
}

} // namespace

IHidBackend& HidBackend::active()
{
    IHidBackend* const installed = installedBackend.load();
    return installed != nullptr ? *installed : platformBackend();
}

IHidBackend* HidBackend::install(IHidBackend* backend)
{
    return installedBackend.exchange(backend);
}

} // namespace NoxHid
