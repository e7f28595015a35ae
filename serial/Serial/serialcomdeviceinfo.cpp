#include "serialcomdeviceinfo.h"

namespace NoxCom
{
namespace Serial
{

SerialComDeviceInfo::SerialComDeviceInfo() : SerialComDeviceInfo(0, 0) {}

SerialComDeviceInfo::SerialComDeviceInfo(quint16 vendorId, quint16 productId)
    : itsVendorId(vendorId), itsProductId(productId), itsPortNumber(0)
{
}

SerialComDeviceInfo::~SerialComDeviceInfo() = default;

QString SerialComDeviceInfo::port() const
{
    return itsPort;
}

void SerialComDeviceInfo::setPort(const QString& port)
{
    itsPort = port;
}

QString SerialComDeviceInfo::manufacturer() const
{
    return itsManufacturer;
}

void SerialComDeviceInfo::setManufacturer(const QString& manufacturer)
{
    itsManufacturer = manufacturer;
}

QString SerialComDeviceInfo::description() const
{
    return itsDescription;
}

void SerialComDeviceInfo::setDescription(const QString& description)
{
    itsDescription = description;
}

quint16 SerialComDeviceInfo::vendorId() const
{
    return itsVendorId;
}

void SerialComDeviceInfo::setVendorId(quint16 vendorId)
{
    itsVendorId = vendorId;
}

quint16 SerialComDeviceInfo::productId() const
{
    return itsProductId;
}

void SerialComDeviceInfo::setProductId(quint16 productId)
{
    itsProductId = productId;
}

qint16 SerialComDeviceInfo::portNumber() const
{
    return itsPortNumber;
}

void SerialComDeviceInfo::setPortNumber(qint16 portNumber)
{
    itsPortNumber = portNumber;
}

QString SerialComDeviceInfo::toString() const
{
    // Concatenated rather than filled with arg() one after the other: a "%1" inside a device's own text
    // would otherwise take the next field's value.
    return QStringLiteral("COM Device:") + QStringLiteral("  Manufacturer: ") + itsManufacturer +
           QStringLiteral("  Description: ") + itsDescription + QStringLiteral("  Port: ") + itsPort +
           QStringLiteral("  Vendor ID: ") + QString::number(itsVendorId) + QStringLiteral("  Product ID: ") +
           QString::number(itsProductId);
}

bool SerialComDeviceInfo::passes(const SerialComDeviceInfo& filter) const
{
    if (filter.itsVendorId != 0 && filter.itsVendorId != itsVendorId)
        return false;
    if (filter.itsProductId != 0 && filter.itsProductId != itsProductId)
        return false;
    if (!filter.itsManufacturer.isEmpty() && !itsManufacturer.contains(filter.itsManufacturer))
        return false;
    return filter.itsDescription.isEmpty() || itsDescription.contains(filter.itsDescription);
}

bool SerialComDeviceInfo::portNumberFromName(const QString& name, qint16* number)
{
    QString rest = name;
    rest.remove(QStringLiteral("COM"));
    int firstDigit = rest.size();
    while (firstDigit > 0 && rest.at(firstDigit - 1) >= QLatin1Char('0') &&
           rest.at(firstDigit - 1) <= QLatin1Char('9'))
        --firstDigit;
    bool isNumber = false;
    const short value = rest.mid(firstDigit).toShort(&isNumber);
    if (isNumber)
        *number = value;
    return isNumber;
}

} // namespace Serial
} // namespace NoxCom
