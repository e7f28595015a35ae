#include "hiduevent.h"

#include <QList>

namespace NoxHid
{

namespace
{

const int MAX_HEX_DIGITS = 8;
const quint32 MAX_INTERFACE_NUMBER = 0xFF;

bool parseDecimal(const QByteArray& digits, quint32 maximum, quint32* value)
{
    if (digits.isEmpty() || digits.size() > 3)
        return false;
    quint32 result = 0;
    for (const char digit : digits)
    {
        if (digit < '0' || digit > '9')
            return false;
        result = result * 10 + quint32(digit - '0');
    }
    if (result > maximum)
        return false;
    *value = result;
    return true;
}

} // namespace

HidUevent::HidUevent(const QByteArray& text)
    : itsHasIds(false), itsVendorId(0), itsProductId(0), itsInterfaceNumber(NO_INTERFACE_NUMBER)
{
    for (const QByteArray& line : text.split('\n'))
    {
        const int separator = line.indexOf('=');
        if (separator < 0)
            continue;
        const QByteArray key = line.left(separator);
        const QByteArray value = line.mid(separator + 1);
        if (key == "HID_ID")
            parseId(value);
        else if (key == "HID_NAME")
            itsName = value;
        else if (key == "HID_PHYS")
            parsePhys(value);
    }
}

bool HidUevent::hasIds() const
{
    return itsHasIds;
}

quint16 HidUevent::vendorId() const
{
    return itsVendorId;
}

quint16 HidUevent::productId() const
{
    return itsProductId;
}

QByteArray HidUevent::name() const
{
    return itsName;
}

int HidUevent::interfaceNumber() const
{
    return itsInterfaceNumber;
}

bool HidUevent::parseHex(const QByteArray& digits, quint32 maximum, quint32* value)
{
    if (digits.isEmpty() || digits.size() > MAX_HEX_DIGITS)
        return false;
    quint32 result = 0;
    for (const char digit : digits)
    {
        int nibble;
        if (digit >= '0' && digit <= '9')
            nibble = digit - '0';
        else if (digit >= 'a' && digit <= 'f')
            nibble = digit - 'a' + 10;
        else if (digit >= 'A' && digit <= 'F')
            nibble = digit - 'A' + 10;
        else
            return false;
        result = (result << 4) | quint32(nibble);
    }
    if (result > maximum)
        return false;
    *value = result;
    return true;
}

// "bus:vendor:product", each in hexadecimal; the kernel writes vendor and product as 32-bit numbers, but a
// USB id never exceeds 16 bits, so a larger one is malformed rather than cut.
void HidUevent::parseId(const QByteArray& value)
{
    const QList<QByteArray> fields = value.split(':');
    quint32 bus = 0;
    quint32 vendor = 0;
    quint32 product = 0;
    itsHasIds = fields.size() == 3 && parseHex(fields[0], 0xFFFF, &bus) &&
                parseHex(fields[1], 0xFFFF, &vendor) && parseHex(fields[2], 0xFFFF, &product);
    itsVendorId = itsHasIds ? quint16(vendor) : 0;
    itsProductId = itsHasIds ? quint16(product) : 0;
}

void HidUevent::parsePhys(const QByteArray& value)
{
    static const QByteArray marker("/input");
    const int position = value.lastIndexOf(marker);
    quint32 number = 0;
    itsInterfaceNumber =
        position >= 0 && parseDecimal(value.mid(position + marker.size()), MAX_INTERFACE_NUMBER, &number)
            ? int(number)
            : NO_INTERFACE_NUMBER;
}

} // namespace NoxHid
