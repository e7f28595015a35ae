#ifndef LIDORA_TARGETCONFIGURATIONCOMMAND_H
#define LIDORA_TARGETCONFIGURATIONCOMMAND_H

#include "Communication/serializablecomobject.h"

#include <QString>

// Sets the sensor's operation mode. The application sends the bytes 1, 0 and the mode: 0 distance,
// 1 proximity, 2 distance and proximity.
class TargetConfigurationCommand : public NoxCore::Communication::SerializableComObject
{
public:
    static constexpr unsigned char PROTOCOL = 0x07;
    static constexpr unsigned int REQUEST_SIZE = 3;

    TargetConfigurationCommand(unsigned char first, unsigned char second, unsigned char mode);
    TargetConfigurationCommand(const TargetConfigurationCommand& other);
    ~TargetConfigurationCommand() override;

    NoxCore::Communication::IComObject* clone() override;
    // Writes the three bytes and records the request in the description.
    bool serialize(unsigned char* buffer, unsigned int bufferSize) override;
    // The target answers with an empty payload; any answer is accepted.
    bool deserialize(unsigned char* data, unsigned int size) override;

    // One "#DTX;" line per request sent, appended in order.
    QString description() const;

private:
    unsigned char itsRequest[REQUEST_SIZE];
    QString itsDescription;
};

#endif
