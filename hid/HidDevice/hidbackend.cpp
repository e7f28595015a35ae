#include "hidbackend.h"

#ifdef Q_OS_WIN
#include "windows/winhidapi.h"
#include "windows/winhidbackend.h"
#else
#include "linux/hidrawbackend.h"
#endif

#include <atomic>

namespace NoxHid
{

namespace
{

std::atomic<IHidBackend*> installedBackend{nullptr};

IHidBackend& platformBackend()
{
#ifdef Q_OS_WIN
    static WinHidApi api;
    static WinHidBackend backend(api);
#else
    static HidrawBackend backend(HidrawBackend::SYSFS_ROOT, HidrawBackend::DEV_ROOT);
#endif
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
