#ifndef LIDORA_TESTS_SUPPORT_HIDDEVICEPATHS_H
#define LIDORA_TESTS_SUPPORT_HIDDEVICEPATHS_H

#include "HidDevice/hiddeviceinfo.h"

#include <QList>
#include <QStringList>

// The paths of a HID listing, in its order.
inline QStringList pathsOf(const QList<NoxHid::HidDeviceInfo>& devices)
{
    QStringList paths;
    for (const NoxHid::HidDeviceInfo& device : devices)
        paths << device.path();
    return paths;
}

#endif
