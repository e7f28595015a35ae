#include "emptycomdriver.h"

namespace NoxCore
{
namespace Communication
{

EmptyComDriver::EmptyComDriver() = default;

EmptyComDriver::~EmptyComDriver() = default;

bool EmptyComDriver::open()
{
    return false;
}

bool EmptyComDriver::close()
{
    return false;
}

int EmptyComDriver::flush()
{
    return CHANNEL_NOT_OPEN;
}

int EmptyComDriver::write(const unsigned char*, unsigned int)
{
    return CHANNEL_NOT_OPEN;
}

int EmptyComDriver::read(unsigned char*, unsigned int)
{
    return CHANNEL_NOT_OPEN;
}

int EmptyComDriver::lastError()
{
    return SUCCESS;
}

int EmptyComDriver::updateDeviceState()
{
    return CHANNEL_NOT_OPEN;
}

void EmptyComDriver::resetBuffers() {}

void EmptyComDriver::abortTransfer() {}

} // namespace Communication
} // namespace NoxCore
