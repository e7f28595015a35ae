#include "getcalibrationdatacommand.h"

#include "commandtext.h"

namespace
{

const QString COMMAND_NAME = QStringLiteral("GET_CALIBRATION_DATA");

} // namespace

GetCalibrationDataCommand::GetCalibrationDataCommand(unsigned char calibrationBlock)
    : SerializableComObject(PROTOCOL, REQUEST_SIZE, ANSWER_SIZE, IComObject::RequestAndResponse, PROTOCOL),
      itsCalibrationBlock(calibrationBlock)
{
}

GetCalibrationDataCommand::GetCalibrationDataCommand(const GetCalibrationDataCommand& other) = default;

GetCalibrationDataCommand::~GetCalibrationDataCommand() = default;

NoxCore::Communication::IComObject* GetCalibrationDataCommand::clone()
{
    return new GetCalibrationDataCommand(*this);
}

bool GetCalibrationDataCommand::serialize(unsigned char* buffer, unsigned int bufferSize)
{
    if (buffer == nullptr || bufferSize < REQUEST_SIZE)
        return false;
    buffer[0] = itsCalibrationBlock;
    itsDescription += requestRecordText(COMMAND_NAME, PROTOCOL, &itsCalibrationBlock, REQUEST_SIZE);
    return true;
}

bool GetCalibrationDataCommand::deserialize(unsigned char* data, unsigned int size)
{
    const unsigned int received = data != nullptr ? size : 0;
    if (received < ANSWER_SIZE)
    {
        itsCalibrationData = QStringLiteral("\r\n");
        itsDescription += QStringLiteral("#DRX;") + COMMAND_NAME +
                          QStringLiteral(" not deserialized. Response length: 0x") +
                          byteToHex(static_cast<unsigned char>(received)) + QStringLiteral(". Data: ") +
                          bytesToHexList(data, received).toUpper();
        return false;
    }
    itsCalibrationData = bytesToHexList(data, ANSWER_SIZE).toUpper();
    itsDescription += QStringLiteral("#DRX;") + COMMAND_NAME + itsCalibrationData;
    return true;
}

QString GetCalibrationDataCommand::description() const
{
    return itsDescription;
}

QString GetCalibrationDataCommand::calibrationData() const
{
    return itsCalibrationData;
}

unsigned char GetCalibrationDataCommand::calibrationBlock() const
{
    return itsCalibrationBlock;
}
