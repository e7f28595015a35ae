#ifndef NOXHID_HIDDEVICE_HIDDEVICEBASE_H
#define NOXHID_HIDDEVICE_HIDDEVICEBASE_H

#include "ihiddevice.h"

#include <memory>

namespace NoxHid
{

// What every HID device keeps apart from its platform handle: the time-outs (which survive open and
// close), the report lengths and the description of the opened device.
class HidDeviceBase : public virtual IHidDevice
{
public:
    HidDeviceBase();
    ~HidDeviceBase() override;
    HidDeviceBase(const HidDeviceBase&) = delete;
    HidDeviceBase& operator=(const HidDeviceBase&) = delete;

    HidDeviceInfo deviceInfo() override;
    quint16 inputReportLength() override;
    quint16 outputReportLength() override;
    void timeouts(unsigned int* readTimeout, unsigned int* writeTimeout) override;
    void setTimeouts(unsigned int readTimeout, unsigned int writeTimeout) override;
    int reset() override;

protected:
    // Records the opened device; takes over info.
    void setOpened(std::unique_ptr<HidDeviceInfo> info, quint16 inputReportLength,
                   quint16 outputReportLength);
    unsigned int readTimeout() const;
    unsigned int writeTimeout() const;

private:
    unsigned int itsReadTimeout;
    unsigned int itsWriteTimeout;
    quint16 itsInputReportLength;
    quint16 itsOutputReportLength;
    std::unique_ptr<HidDeviceInfo> itsDeviceInfo;
};

} // namespace NoxHid

#endif
