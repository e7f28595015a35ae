#include "simulatedboardcomdriver.h"

#include <algorithm>

using LidoraSim::SimulatedBoard;

SimulatedBoardComDriver::SimulatedBoardComDriver(SimulatedBoard& board, SimulatedBoard::Channel channel)
    : itsBoard(board), itsChannel(channel)
{
}

SimulatedBoardComDriver::~SimulatedBoardComDriver() = default;

bool SimulatedBoardComDriver::close()
{
    itsIsOpen = false;
    resetBuffers();
    return true;
}

int SimulatedBoardComDriver::flush()
{
    if (!itsIsOpen)
        return recordResult(CHANNEL_NOT_OPEN);
    sendWrittenFrames();
    return SUCCESS;
}

int SimulatedBoardComDriver::write(const unsigned char* data, unsigned int size)
{
    if (!itsIsOpen)
        return recordResult(CHANNEL_NOT_OPEN);
    itsWrittenFrames.append(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    return SUCCESS;
}

int SimulatedBoardComDriver::read(unsigned char* data, unsigned int size)
{
    if (!itsIsOpen)
        return recordResult(CHANNEL_NOT_OPEN);
    sendWrittenFrames();
    if (unsigned(itsAnswerBytes.size()) < size)
        return recordResult(RECEIVE_FAILED);
    std::copy_n(itsAnswerBytes.constData(), size, reinterpret_cast<char*>(data));
    itsAnswerBytes.remove(0, int(size));
    return SUCCESS;
}

void SimulatedBoardComDriver::resetBuffers()
{
    itsWrittenFrames.clear();
    itsAnswerBytes.clear();
}

void SimulatedBoardComDriver::sendWrittenFrames()
{
    for (const QByteArray& frame : qAsConst(itsWrittenFrames))
        itsAnswerBytes += itsBoard.handleFrame(itsChannel, frame);
    itsWrittenFrames.clear();
}

int SimulatedBoardComDriver::recordResult(int code)
{
    itsLastError = code;
    return code;
}
