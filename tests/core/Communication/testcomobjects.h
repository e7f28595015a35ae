#ifndef LIDORA_TESTS_TESTCOMOBJECTS_H
#define LIDORA_TESTS_TESTCOMOBJECTS_H

#include "Communication/comobject.h"
#include "Communication/serializablecomobject.h"
#include "Tracing/itracesink.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>

// A com object whose sizes and request bytes a test chooses, and which keeps the answer it was given.
class ScriptedComObject : public NoxCore::Communication::SerializableComObject
{
public:
    ScriptedComObject(unsigned char protocol, unsigned int serializeSize, unsigned int deserializeSize,
                      CallingType callingType = RequestAndResponse)
        : SerializableComObject(protocol, serializeSize, deserializeSize, callingType, 0x10)
    {
        for (unsigned int index = 0; index < serializeSize; ++index)
            request.append(char(0xA0 + index));
    }

    NoxCore::Communication::IComObject* clone() override { return new ScriptedComObject(*this); }

    bool serialize(unsigned char* buffer, unsigned int bufferSize) override
    {
        if (!serializeSucceeds || buffer == nullptr || bufferSize < serializeSize())
            return false;
        std::copy(request.cbegin(), request.cend(), buffer);
        return true;
    }

    bool deserialize(unsigned char* data, unsigned int size) override
    {
        ++deserializeCalls;
        answer = QByteArray(reinterpret_cast<const char*>(data), int(size));
        return true;
    }

    QByteArray request;
    bool serializeSucceeds = true;
    QByteArray answer;
    int deserializeCalls = 0;
};

// Neither serialisable nor executable.
class BareComObject : public NoxCore::Communication::ComObject
{
public:
    BareComObject() : ComObject(RequestAndResponse, 0) {}
    NoxCore::Communication::IComObject* clone() override { return new BareComObject(*this); }
};

class RecordingTraceSink : public NoxCore::Tracing::ITraceSink
{
public:
    bool trace(QString telegram) override
    {
        telegrams << telegram;
        return true;
    }

    QStringList telegrams;
};

#endif
