#include "targetconfigurationcommand.h"

#include "commandtext.h"

#include <algorithm>

namespace
{

const QString COMMAND_NAME = QStringLiteral("TARGET_CONFIGURATION");

} // namespace

TargetConfigurationCommand::TargetConfigurationCommand(unsigned char first, unsigned char second,
                                                       unsigned char mode)
    : SerializableComObject(PROTOCOL, REQUEST_SIZE, 0, IComObject::RequestAndResponse, PROTOCOL),
      itsRequest{first, second, mode}
{
}

TargetConfigurationCommand::TargetConfigurationCommand(const TargetConfigurationCommand& other) = default;

TargetConfigurationCommand::~TargetConfigurationCommand() = default;

NoxCore::Communication::IComObject* TargetConfigurationCommand::clone()
{
    return new TargetConfigurationCommand(*this);
}

bool TargetConfigurationCommand::serialize(unsigned char* buffer, unsigned int bufferSize)
{
    if (buffer == nullptr || bufferSize < REQUEST_SIZE)
        return false;
    std::copy(itsRequest, itsRequest + REQUEST_SIZE, buffer);
    itsDescription += requestRecordText(COMMAND_NAME, PROTOCOL, itsRequest, REQUEST_SIZE);
    return true;
}

bool TargetConfigurationCommand::deserialize(unsigned char*, unsigned int)
{
    return true;
}

QString TargetConfigurationCommand::description() const
{
    return itsDescription;
}
