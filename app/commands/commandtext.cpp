#include "commandtext.h"

namespace
{

const int HEX_BASE = 16;
const int HEX_DIGITS_PER_BYTE = 2;

} // namespace

QString byteToHex(unsigned char value)
{
    return QStringLiteral("%1").arg(value, HEX_DIGITS_PER_BYTE, HEX_BASE, QLatin1Char('0'));
}

QString bytesToHexList(const unsigned char* bytes, unsigned int count)
{
    QString text;
    if (bytes == nullptr)
        return text;
    for (unsigned int index = 0; index < count; ++index)
        text += QLatin1Char(';') + byteToHex(bytes[index]);
    return text;
}

QString requestRecordText(const QString& commandName, unsigned char protocol, const unsigned char* request,
                          unsigned int requestSize)
{
    return QStringLiteral("#DTX;") + commandName + QLatin1Char(';') + byteToHex(protocol) +
           bytesToHexList(request, requestSize);
}
