#include "i2cbridge.h"

#include "Communication/comobjecthelper.h"

using NoxCore::Communication::ComObjectHelper;

namespace LidoraSim
{

namespace
{

constexpr int SLAVE_BYTE_SIZE = 1;
constexpr int CONFIGURATION_SIZE = 7;
constexpr int CLOCK_SPEED_OFFSET = 3;
constexpr unsigned int CLOCK_SPEED_SIZE = 4;
// The slave byte of the write phase is the 7-bit address shifted up; the read phase sets bit 0.
constexpr unsigned char SENSOR_WRITE_PHASE = I2cBridge::SENSOR_SLAVE_ADDRESS << 1;
constexpr unsigned char SENSOR_READ_PHASE = SENSOR_WRITE_PHASE | 1;

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

bool isAddressSize(unsigned char size)
{
    return size == 1 || size == 2 || size == 4;
}

} // namespace

I2cBridge::I2cBridge() : itsCorruptWrites(false)
{
    itsRegisters.insert(CHIP_ID_REGISTER, CHIP_ID);
}

bool I2cBridge::carries(unsigned char protocol)
{
    return protocol == TRANSFER_PROTOCOL || protocol == CONFIGURATION_PROTOCOL || protocol == MODIFY_PROTOCOL;
}

BoardAnswer I2cBridge::execute(const BoardRequest& request)
{
    switch (request.protocol)
    {
    case TRANSFER_PROTOCOL:
        // One id for both directions: only a request that waits for an answer reads.
        return request.expectsAnswer ? read(request) : write(request.payload);
    case MODIFY_PROTOCOL:
        return modify(request.payload);
    case CONFIGURATION_PROTOCOL:
        return configure(request.payload);
    default:
        return BoardAnswer::failure(BoardStatus::UnknownCommand);
    }
}

unsigned char I2cBridge::registerValue(quint32 address) const
{
    return itsRegisters.value(address, 0);
}

void I2cBridge::setRegisterValue(quint32 address, unsigned char value)
{
    itsRegisters.insert(address, value);
}

BoardAnswer I2cBridge::configure(const QByteArray& request)
{
    if (request.size() != CONFIGURATION_SIZE)
        return BoardAnswer::failure(BoardStatus::BadRequestLength);
    const unsigned char* bytes = bytesOf(request);
    Configuration configuration;
    configuration.module = bytes[0];
    configuration.addressSize = bytes[1];
    configuration.clockMode = bytes[2];
    ComObjectHelper::deserialize(bytes + CLOCK_SPEED_OFFSET, CLOCK_SPEED_SIZE,
                                 configuration.customClockSpeed);
    if (!isAddressSize(configuration.addressSize))
        return BoardAnswer::failure(BoardStatus::InvalidArgument);
    itsConfiguration = configuration;
    return BoardAnswer::success();
}

BoardAnswer I2cBridge::read(const BoardRequest& request)
{
    const int addressEnd = SLAVE_BYTE_SIZE + itsConfiguration.addressSize;
    if (request.payload.size() != addressEnd + SLAVE_BYTE_SIZE)
        return BoardAnswer::failure(BoardStatus::BadRequestLength);
    quint32 address = 0;
    const BoardStatus status = addressRegister(request.payload, address);
    if (status != BoardStatus::Success)
        return BoardAnswer::failure(status);
    if (bytesOf(request.payload)[addressEnd] != SENSOR_READ_PHASE)
        return BoardAnswer::failure(BoardStatus::I2cNoAcknowledge);
    QByteArray answer;
    answer.reserve(int(request.acceptedAnswerLength));
    for (quint32 offset = 0; offset < request.acceptedAnswerLength; ++offset)
        answer.append(char(registerValue(address + offset)));
    return BoardAnswer::success(answer);
}

BoardAnswer I2cBridge::write(const QByteArray& request)
{
    const int addressEnd = SLAVE_BYTE_SIZE + itsConfiguration.addressSize;
    if (request.size() <= addressEnd)
        return BoardAnswer::failure(BoardStatus::BadRequestLength);
    quint32 address = 0;
    const BoardStatus status = addressRegister(request, address);
    if (status != BoardStatus::Success)
        return BoardAnswer::failure(status);
    const unsigned char* values = bytesOf(request) + addressEnd;
    for (int offset = 0; offset < request.size() - addressEnd; ++offset)
        storeFromBus(address + quint32(offset), values[offset]);
    return BoardAnswer::success();
}

BoardAnswer I2cBridge::modify(const QByteArray& request)
{
    const int addressEnd = SLAVE_BYTE_SIZE + itsConfiguration.addressSize;
    const int valueAndMaskSize = request.size() - addressEnd;
    if (valueAndMaskSize <= 0 || valueAndMaskSize % 2 != 0)
        return BoardAnswer::failure(BoardStatus::BadRequestLength);
    quint32 address = 0;
    const BoardStatus status = addressRegister(request, address);
    if (status != BoardStatus::Success)
        return BoardAnswer::failure(status);
    const int width = valueAndMaskSize / 2;
    const unsigned char* values = bytesOf(request) + addressEnd;
    const unsigned char* masks = values + width;
    for (int offset = 0; offset < width; ++offset)
    {
        const quint32 target = address + quint32(offset);
        const unsigned char kept = registerValue(target) & static_cast<unsigned char>(~masks[offset]);
        storeFromBus(target, kept | (values[offset] & masks[offset]));
    }
    return BoardAnswer::success();
}

BoardStatus I2cBridge::addressRegister(const QByteArray& request, quint32& address) const
{
    const unsigned char* bytes = bytesOf(request);
    if (bytes[0] != SENSOR_WRITE_PHASE)
        return BoardStatus::I2cNoAcknowledge;
    ComObjectHelper::deserialize(bytes + SLAVE_BYTE_SIZE, itsConfiguration.addressSize, address);
    return BoardStatus::Success;
}

void I2cBridge::storeFromBus(quint32 address, unsigned char value)
{
    if (address == CHIP_ID_REGISTER)
        return;
    itsRegisters.insert(address, itsCorruptWrites ? static_cast<unsigned char>(~value) : value);
}

} // namespace LidoraSim
