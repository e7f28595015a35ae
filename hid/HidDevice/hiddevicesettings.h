#ifndef NOXHID_HIDDEVICE_HIDDEVICESETTINGS_H
#define NOXHID_HIDDEVICE_HIDDEVICESETTINGS_H

#include <QtGlobal>

namespace NoxHid
{

// The report ids with which the HID com driver frames its output reports and checks its input reports.
class HidDeviceSettings
{
public:
    HidDeviceSettings(quint8 outputReportId, quint8 inputReportId);
    HidDeviceSettings(const HidDeviceSettings& other);
    HidDeviceSettings& operator=(const HidDeviceSettings& other);
    virtual ~HidDeviceSettings();

    quint8 outputReportId() const;
    quint8 inputReportId() const;

private:
    quint8 itsOutputReportId;
    quint8 itsInputReportId;
};

} // namespace NoxHid

#endif
