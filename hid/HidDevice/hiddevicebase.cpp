#include "hiddevicebase.h"

#include "Tools/noxassert.h"

namespace NoxHid
{

HidDeviceBase::HidDeviceBase()
    : itsReadTimeout(HID_TIMEOUT_INFINITE), itsWriteTimeout(HID_TIMEOUT_INFINITE), itsInputReportLength(0),
      itsOutputReportLength(0)
{
}

HidDeviceBase::~HidDeviceBase() = default;

HidDeviceInfo HidDeviceBase::deviceInfo()
{
    return itsDeviceInfo ? *itsDeviceInfo : HidDeviceInfo();
}

quint16 HidDeviceBase::inputReportLength()
{
    return itsInputReportLength;
}

quint16 HidDeviceBase::outputReportLength()
{
    return itsOutputReportLength;
}

void HidDeviceBase::timeouts(unsigned int* readTimeout, unsigned int* writeTimeout)
{
    if (readTimeout != nullptr)
        *readTimeout = itsReadTimeout;
    if (writeTimeout != nullptr)
        *writeTimeout = itsWriteTimeout;
}

void HidDeviceBase::setTimeouts(unsigned int readTimeout, unsigned int writeTimeout)
{
    NOX_ASSERT(readTimeout >= HID_TIMEOUT_MIN,
               "readTimeout must be greater or equal the minimum timeout of 1ms");
    NOX_ASSERT(writeTimeout >= HID_TIMEOUT_MIN,
               "writeTimeout must be greater or equal the minimum timeout of 1ms");
    NOX_ASSERT((readTimeout <= HID_TIMEOUT_MAX) || (readTimeout == HID_TIMEOUT_INFINITE),
               "readTimeout must be less or equal the maximum timeout or equal the infinite timeout");
    NOX_ASSERT((writeTimeout <= HID_TIMEOUT_MAX) || (writeTimeout == HID_TIMEOUT_INFINITE),
               "writeTimeout must be less or equal the maximum timeout or equal the infinite timeout");
    itsReadTimeout = readTimeout;
    itsWriteTimeout = writeTimeout;
}

int HidDeviceBase::reset()
{
    itsDeviceInfo.reset();
    itsInputReportLength = 0;
    itsOutputReportLength = 0;
    return HID_SUCCESS;
}

void HidDeviceBase::setOpened(std::unique_ptr<HidDeviceInfo> info, quint16 inputReportLength,
                              quint16 outputReportLength)
{
    itsDeviceInfo = std::move(info);
    itsInputReportLength = inputReportLength;
    itsOutputReportLength = outputReportLength;
}

unsigned int HidDeviceBase::readTimeout() const
{
    return itsReadTimeout;
}

unsigned int HidDeviceBase::writeTimeout() const
{
    return itsWriteTimeout;
}

} // namespace NoxHid
