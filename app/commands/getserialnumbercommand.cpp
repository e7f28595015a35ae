#include "getserialnumbercommand.h"

#include "commandtext.h"

#include <QStringList>

namespace
{

const QString COMMAND_NAME = QStringLiteral("GET_SERIAL_NUMBER");

// Answer layout.
const unsigned int SERIAL_NUMBER_OFFSET = 0;
const unsigned int APP0_REVISION_OFFSET = 4;
const unsigned int DRIVER_REVISION_OFFSET = 8;
const unsigned int EXTRA_REVISION_OFFSET = 12;
const unsigned int CHIP_REVISION_OFFSET = 13;
const int FOUR_PART_FIELD_SIZE = 4;

QString hexadecimalParts(const unsigned char* bytes)
{
    QStringList parts;
    for (int index = 0; index < FOUR_PART_FIELD_SIZE; ++index)
        parts << byteToHex(bytes[index]);
    return parts.join(QLatin1Char('-'));
}

QString decimalParts(const unsigned char* bytes)
{
    QStringList parts;
    for (int index = 0; index < FOUR_PART_FIELD_SIZE; ++index)
        parts << QString::number(bytes[index]);
    return parts.join(QLatin1Char('.'));
}

} // namespace

GetSerialNumberCommand::GetSerialNumberCommand()
    : SerializableComObject(PROTOCOL, 0, ANSWER_SIZE, IComObject::RequestAndResponse, PROTOCOL),
      itsSerialNumber(QStringLiteral("00-00-00-00")), itsApp0Revision(QStringLiteral("11.11.11.11")),
      itsDriverRevision(QStringLiteral("22.22.22.22")), itsExtraRevision(QStringLiteral("0")),
      itsChipRevision(QStringLiteral("0"))
{
}

GetSerialNumberCommand::GetSerialNumberCommand(const GetSerialNumberCommand& other) = default;

GetSerialNumberCommand::~GetSerialNumberCommand() = default;

NoxCore::Communication::IComObject* GetSerialNumberCommand::clone()
{
    return new GetSerialNumberCommand(*this);
}

bool GetSerialNumberCommand::serialize(unsigned char*, unsigned int)
{
    itsDescription += requestRecordText(COMMAND_NAME, PROTOCOL, nullptr, 0) + QLatin1Char('\n');
    return true;
}

bool GetSerialNumberCommand::deserialize(unsigned char* data, unsigned int size)
{
    const unsigned int received = data != nullptr ? size : 0;
    if (received < ANSWER_SIZE)
    {
        itsDescription += COMMAND_NAME + QStringLiteral(" not deserialized. Response length: ") +
                          byteToHex(static_cast<unsigned char>(received));
        return false;
    }
    itsSerialNumber = hexadecimalParts(data + SERIAL_NUMBER_OFFSET);
    itsApp0Revision = decimalParts(data + APP0_REVISION_OFFSET);
    itsDriverRevision = decimalParts(data + DRIVER_REVISION_OFFSET);
    itsExtraRevision = QString::number(data[EXTRA_REVISION_OFFSET]);
    itsChipRevision = QString::number(data[CHIP_REVISION_OFFSET]);
    itsDescription += QStringLiteral("#DRX;") + COMMAND_NAME + bytesToHexList(data, ANSWER_SIZE);
    return true;
}

QString GetSerialNumberCommand::description() const
{
    return itsDescription;
}

QString GetSerialNumberCommand::serialNumber() const
{
    return itsSerialNumber;
}

QString GetSerialNumberCommand::app0Revision() const
{
    return itsApp0Revision;
}

QString GetSerialNumberCommand::driverRevision() const
{
    return itsDriverRevision;
}

QString GetSerialNumberCommand::extraRevision() const
{
    return itsExtraRevision;
}

QString GetSerialNumberCommand::chipRevision() const
{
    return itsChipRevision;
}
