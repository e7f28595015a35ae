#include "comdriver.h"

namespace NoxCore
{
namespace Communication
{

// Indexed by the negated code. -5 has no text of its own: its meaning depends on the driver's formatter.
const char* const ComDriver::errorStrings[] = {
    "Success",
    "Error: channel not open",
    "Error: transmit failed",
    "Error: receive failed",
    "Error: received and expected data mismatch",
    "",
};

const char* const ComDriver::unknownErrorCodeText = "Unknown error code";

ComDriver::ComDriver() : itsDeviceState(0), itsIsOpen(false), itsLastError(SUCCESS) {}

ComDriver::~ComDriver() = default;

bool ComDriver::isOpen()
{
    return itsIsOpen;
}

int ComDriver::lastError()
{
    const int error = itsLastError;
    resetBuffers();
    itsLastError = SUCCESS;
    return error;
}

bool ComDriver::setNextNode(ICommunicationNode*)
{
    return true;
}

int ComDriver::deviceState()
{
    return itsDeviceState;
}

const char* ComDriver::errorToString(int code)
{
    if (code > SUCCESS || code < WRITE_TOO_LARGE)
        return unknownErrorCodeText;
    return errorStrings[-code];
}

} // namespace Communication
} // namespace NoxCore
