#ifndef LIDORA_TESTS_SERIALPORTS_H
#define LIDORA_TESTS_SERIALPORTS_H

#include "Serial/serialcomdeviceinfo.h"

#include <QString>

// The board's USB ids, and a serial port as the system lists it.
const quint16 BOARD_VENDOR = 0x7A3C;
const quint16 BOARD_PRODUCT = 0x0C08;

inline NoxCom::Serial::SerialComDeviceInfo port(const QString& name, quint16 vendorId = BOARD_VENDOR,
                                                quint16 productId = BOARD_PRODUCT,
                                                const QString& manufacturer = QString(),
                                                const QString& description = QString())
{
    NoxCom::Serial::SerialComDeviceInfo port(vendorId, productId);
    port.setPort(name);
    port.setManufacturer(manufacturer);
    port.setDescription(description);
    return port;
}

#endif
