#include "hiddevicesettings.h"

namespace NoxHid
{

HidDeviceSettings::HidDeviceSettings(quint8 outputReportId, quint8 inputReportId)
    : itsOutputReportId(outputReportId), itsInputReportId(inputReportId)
{
}

HidDeviceSettings::HidDeviceSettings(const HidDeviceSettings& other) = default;

HidDeviceSettings& HidDeviceSettings::operator=(const HidDeviceSettings& other) = default;

HidDeviceSettings::~HidDeviceSettings() = default;

quint8 HidDeviceSettings::outputReportId() const
{
    return itsOutputReportId;
}

quint8 HidDeviceSettings::inputReportId() const
{
    return itsInputReportId;
}

} // namespace NoxHid
