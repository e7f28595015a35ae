#include "sensormodule.h"

namespace LidoraSim
{

namespace
{

// Serial number 4c-31-44-07, application revision 1.3.0.12, driver revision 2.1.0.4, extra revision 1,
// chip revision 3.
const unsigned char IDENTIFICATION[SensorModule::IDENTIFICATION_SIZE] = {
    0x4C, 0x31, 0x44, 0x07, 0x01, 0x03, 0x00, 0x0C, 0x02, 0x01, 0x00, 0x04, 0x01, 0x03};

constexpr int CALIBRATION_DATA_SIZE = SensorModule::CALIBRATION_BLOCK_SIZE - 2;

// Range offset and gain, crosstalk, temperature compensation, and the reference channel's levels.
const unsigned char CALIBRATION_DATA[SensorModule::CALIBRATION_BLOCK_COUNT][CALIBRATION_DATA_SIZE] = {
    {0x0C, 0x00, 0x00, 0x40, 0x2E, 0x01, 0x19, 0x00, 0x00, 0x00, 0x00, 0x00},
    {0x3A, 0x00, 0x41, 0x00, 0x47, 0x00, 0x52, 0x00, 0x10, 0x20, 0x00, 0x00},
    {0x19, 0x85, 0xFF, 0x03, 0x00, 0xE8, 0x03, 0x00, 0x64, 0x00, 0x00, 0x00},
    {0xE0, 0x2E, 0x00, 0x00, 0x96, 0x00, 0x2C, 0x01, 0x0A, 0x05, 0x00, 0x00}};

void appendLittleEndian(QByteArray& bytes, quint32 value, int byteWidth)
{
    for (int index = 0; index < byteWidth; ++index)
        bytes.append(char((value >> (8 * index)) & 0xFF));
}

} // namespace

SensorModule::SensorModule(quint64 sceneSeed) : itsScene(sceneSeed), itsOperationMode(DISTANCE_MODE)
{
    itsSincePowerOn.start();
}

BoardAnswer SensorModule::execute(const BoardRequest& request)
{
    switch (request.protocol)
    {
    case OBJECTS_PROTOCOL:
        if (!request.payload.isEmpty())
            return BoardAnswer::failure(BoardStatus::BadRequestLength);
        return measureObjects();
    case OPERATION_MODE_PROTOCOL:
        return setOperationMode(request.payload);
    case IDENTIFICATION_PROTOCOL:
        if (!request.payload.isEmpty())
            return BoardAnswer::failure(BoardStatus::BadRequestLength);
        return BoardAnswer::success(identification());
    case CALIBRATION_PROTOCOL:
        return readCalibrationBlock(request.payload);
    default:
        return BoardAnswer::failure(BoardStatus::UnknownCommand);
    }
}

QByteArray SensorModule::identification()
{
    return QByteArray(reinterpret_cast<const char*>(IDENTIFICATION), IDENTIFICATION_SIZE);
}

QByteArray SensorModule::calibrationBlock(unsigned char block)
{
    if (block >= CALIBRATION_BLOCK_COUNT)
        return QByteArray();
    QByteArray bytes(1, char(block));
    bytes.append(reinterpret_cast<const char*>(CALIBRATION_DATA[block]), CALIBRATION_DATA_SIZE);
    char check = 0;
    for (const char byte : bytes)
        check ^= byte;
    bytes.append(check);
    return bytes;
}

BoardAnswer SensorModule::measureObjects()
{
    const SceneSample sample = itsScene.sample(itsSincePowerOn.elapsed());
    QByteArray answer;
    answer.reserve(OBJECTS_ANSWER_SIZE);
    answer.append(char(sample.objectCount));
    // The record's first byte carries nothing on this module.
    answer.append(char(0));
    // One object at a time: its distance goes into all three distance values.
    for (int value = 0; value < 3; ++value)
        appendLittleEndian(answer, sample.distanceMm, 2);
    answer.append(char(sample.confidence));
    appendLittleEndian(answer, sample.photonCountReference, 4);
    appendLittleEndian(answer, sample.photonCountObject, 4);
    return BoardAnswer::success(answer);
}

BoardAnswer SensorModule::setOperationMode(const QByteArray& request)
{
    if (request.size() != OPERATION_MODE_REQUEST_SIZE)
        return BoardAnswer::failure(BoardStatus::BadRequestLength);
    // Only the last byte, the mode, means anything to this module; the two before it are taken as they come.
    const unsigned char mode = static_cast<unsigned char>(request.at(OPERATION_MODE_REQUEST_SIZE - 1));
    if (mode > LAST_OPERATION_MODE)
        return BoardAnswer::failure(BoardStatus::InvalidArgument);
    itsOperationMode = mode;
    return BoardAnswer::success();
}

BoardAnswer SensorModule::readCalibrationBlock(const QByteArray& request)
{
    if (request.size() != 1)
        return BoardAnswer::failure(BoardStatus::BadRequestLength);
    const QByteArray block = calibrationBlock(static_cast<unsigned char>(request.at(0)));
    if (block.isEmpty())
        return BoardAnswer::failure(BoardStatus::InvalidArgument);
    return BoardAnswer::success(block);
}

} // namespace LidoraSim
