#include "scriptedcomdriver.h"

#include <algorithm>

using namespace NoxCore::Communication;

void ScriptedComDriver::addAnswer(unsigned char protocol, unsigned char status, const QByteArray& payload)
{
    const auto length = unsigned(payload.size());
    itsAnswers.insert(itsAnswers.end(), {protocol, 0, status, static_cast<unsigned char>(length >> 8),
                                         static_cast<unsigned char>(length)});
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
    itsIsOpen = true;
    return true;
}

bool ScriptedComDriver::close()
{
    itsIsOpen = false;
    return true;
}

int ScriptedComDriver::flush()
{
    return step(&itsFlushCount, itsFlushError);
}

int ScriptedComDriver::write(const unsigned char* data, unsigned int size)
{
    const int result = step(&itsWriteCount, itsWriteError);
    if (result == SUCCESS)
        itsWritten.insert(itsWritten.end(), data, data + size);
    return result;
}

int ScriptedComDriver::read(unsigned char* data, unsigned int size)
{
    const bool tooFew = itsAnswers.size() - itsReadPosition < size;
    const int result = step(&itsReadCount, itsReadError == SUCCESS && tooFew ? RECEIVE_FAILED : itsReadError);
    if (result == SUCCESS)
    {
        std::copy_n(itsAnswers.data() + itsReadPosition, size, data);
        itsReadPosition += size;
    }
    return result;
}

int ScriptedComDriver::step(int* count, int failure)
{
    ++*count;
    const int result = itsIsOpen ? failure : CHANNEL_NOT_OPEN;
    if (result != SUCCESS)
        itsLastError = result;
    return result;
}
