#include "scriptedcomdriver.h"

#include "Communication/frameformat.h"

#include <algorithm>

using namespace NoxCore::Communication;

ScriptedComDriver::ScriptedComDriver(bool isOpen)
{
    itsIsOpen = isOpen;
    // Room for a few whole frames, so that written frames do not reallocate.
    itsWritten.reserve(4 * FRAME_SIZE);
}

ScriptedComDriver::~ScriptedComDriver() = default;

void ScriptedComDriver::addAnswer(unsigned char protocol, unsigned char status, unsigned int announcedLength,
                                  const QByteArray& payload)
{
    const unsigned char header[FRAME_HEADER_SIZE] = {protocol, 0, status,
                                                     static_cast<unsigned char>(announcedLength >> 8),
                                                     static_cast<unsigned char>(announcedLength)};
    itsAnswers.insert(itsAnswers.end(), header, header + FRAME_HEADER_SIZE);
    itsAnswers.insert(itsAnswers.end(), payload.cbegin(), payload.cend());
}

QByteArray ScriptedComDriver::unreadAnswerBytes() const
{
    return QByteArray(reinterpret_cast<const char*>(itsAnswers.data() + itsReadPosition),
                      int(itsAnswers.size() - itsReadPosition));
}

QByteArray ScriptedComDriver::written() const
{
    return QByteArray(reinterpret_cast<const char*>(itsWritten.data()), int(itsWritten.size()));
}

bool ScriptedComDriver::open()
{
    ++itsOpenCount;
    itsIsOpen = !itsOpenFails;
    return itsIsOpen;
}

bool ScriptedComDriver::close()
{
    ++itsCloseCount;
    itsIsOpen = false;
    return true;
}

int ScriptedComDriver::flush()
{
    ++itsFlushCount;
    if (!itsIsOpen)
        return recordResult(CHANNEL_NOT_OPEN);
    return recordResult(itsFlushError);
}

int ScriptedComDriver::write(const unsigned char* data, unsigned int size)
{
    ++itsWriteCount;
    if (!itsIsOpen)
        return recordResult(CHANNEL_NOT_OPEN);
    if (itsWriteError != SUCCESS)
        return recordResult(itsWriteError);
    itsWritten.insert(itsWritten.end(), data, data + size);
    return SUCCESS;
}

int ScriptedComDriver::read(unsigned char* data, unsigned int size)
{
    ++itsReadCount;
    if (!itsIsOpen)
        return recordResult(CHANNEL_NOT_OPEN);
    if (itsReadError != SUCCESS)
        return recordResult(itsReadError);
    if (itsAnswers.size() - itsReadPosition < size)
        return recordResult(RECEIVE_FAILED);
    std::copy_n(itsAnswers.data() + itsReadPosition, size, data);
    itsReadPosition += size;
    return SUCCESS;
}

void ScriptedComDriver::resetBuffers()
{
    ++itsResetBuffersCount;
    itsReadPosition = itsAnswers.size();
}

int ScriptedComDriver::recordResult(int code)
{
    if (code != SUCCESS)
        itsLastError = code;
    return code;
}
