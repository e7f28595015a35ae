#include "simulatedboard.h"

#include "Communication/comobjecthelper.h"
#include "Communication/frameformat.h"

using namespace NoxCore::Communication;

namespace LidoraSim
{

namespace
{

const unsigned char* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

} // namespace

SimulatedBoard::SimulatedBoard(quint64 sceneSeed)
    : itsSensorModule(sceneSeed), itsControlFault(Fault::None), itsModuleFault(Fault::None)
{
}

QByteArray SimulatedBoard::handleFrame(Channel channel, const QByteArray& frame)
{
    const Fault channelFault = fault(channel);
    BoardRequest request;
    if (channelFault == Fault::Silent || !parseFrame(frame, request))
        return QByteArray();
    if (channelFault == Fault::SilentSensor && channel == Channel::Module &&
        request.protocol != FIRMWARE_NUMBER_PROTOCOL && !I2cBridge::carries(request.protocol))
        return QByteArray();
    const BoardAnswer answer = execute(channel, request);
    if (!request.expectsAnswer)
        return QByteArray();
    return answerFrame(request, answer, channelFault);
}

void SimulatedBoard::setFault(Fault fault)
{
    itsControlFault = fault;
    itsModuleFault = fault;
}

void SimulatedBoard::setFault(Channel channel, Fault fault)
{
    (channel == Channel::Control ? itsControlFault : itsModuleFault) = fault;
}

SimulatedBoard::Fault SimulatedBoard::fault(Channel channel) const
{
    return channel == Channel::Control ? itsControlFault : itsModuleFault;
}

bool SimulatedBoard::parseFrame(const QByteArray& frame, BoardRequest& request)
{
    if (frame.size() < int(FRAME_HEADER_SIZE))
        return false;
    const unsigned char* header = bytesOf(frame);
    unsigned int requestLength = 0;
    ComObjectHelper::deserialize(header + FRAME_REQUEST_LENGTH_OFFSET, FRAME_LENGTH_FIELD_SIZE,
                                 requestLength);
    if (frame.size() != int(FRAME_HEADER_SIZE + requestLength))
        return false;
    request.protocol = header[FRAME_PROTOCOL_OFFSET] & FRAME_PROTOCOL_MASK;
    request.expectsAnswer = (header[FRAME_PROTOCOL_OFFSET] & FRAME_FIRE_AND_FORGET_BIT) == 0;
    ComObjectHelper::deserialize(header + FRAME_EXPECTED_LENGTH_OFFSET, FRAME_LENGTH_FIELD_SIZE,
                                 request.acceptedAnswerLength);
    request.payload = frame.mid(int(FRAME_HEADER_SIZE));
    return true;
}

BoardAnswer SimulatedBoard::execute(Channel channel, const BoardRequest& request)
{
    if (request.protocol == FIRMWARE_NUMBER_PROTOCOL)
        return firmwareNumber(request);
    if (channel == Channel::Control)
        return BoardAnswer::failure(BoardStatus::UnknownCommand);
    if (I2cBridge::carries(request.protocol))
        return itsI2cBridge.execute(request);
    return itsSensorModule.execute(request);
}

BoardAnswer SimulatedBoard::firmwareNumber(const BoardRequest& request)
{
    if (!request.payload.isEmpty())
        return BoardAnswer::failure(BoardStatus::BadRequestLength);
    const char number[] = {char(FIRMWARE_MAJOR), char(FIRMWARE_MINOR), char(FIRMWARE_MARKER)};
    return BoardAnswer::success(QByteArray(number, int(sizeof number)));
}

QByteArray SimulatedBoard::answerFrame(const BoardRequest& request, const BoardAnswer& answer, Fault fault)
{
    QByteArray payload = answer.payload;
    if (fault == Fault::OversizedLength)
    {
        const int padding = int(request.acceptedAnswerLength) + 1 - payload.size();
        payload.append(QByteArray(qMax(padding, 0), char(0)));
    }
    QByteArray frame(int(FRAME_HEADER_SIZE), char(0));
    unsigned char* header = reinterpret_cast<unsigned char*>(frame.data());
    header[FRAME_PROTOCOL_OFFSET] =
        fault == Fault::WrongProtocolId ? (request.protocol + 1) & FRAME_PROTOCOL_MASK : request.protocol;
    header[FRAME_ANSWER_STATUS_OFFSET] = static_cast<unsigned char>(answer.status);
    ComObjectHelper::serialize(header + FRAME_ANSWER_LENGTH_OFFSET, FRAME_LENGTH_FIELD_SIZE,
                               unsigned(payload.size()));
    return frame + payload;
}

} // namespace LidoraSim
