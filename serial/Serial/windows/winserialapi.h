#ifndef NOXCOM_SERIAL_WINDOWS_WINSERIALAPI_H
#define NOXCOM_SERIAL_WINDOWS_WINSERIALAPI_H

#include "iwinserialapi.h"

#include "Tools/windows/winfileapi.h"

namespace NoxCom
{
namespace Serial
{

// The real SetupAPI, registry and communications calls behind IWinSerialApi; built only for Windows.
class WinSerialApi : public virtual IWinSerialApi, public NoxCore::Tools::WinFileApi
{
public:
    DeviceSet openPortSet() override;
    bool enumPort(DeviceSet set, quint32 index, DeviceData* data) override;
    bool portProperty(DeviceSet set, DeviceData* data, Property property, QString* value) override;
    bool portName(DeviceSet set, DeviceData* data, QString* name) override;
    bool closePortSet(DeviceSet set) override;
    bool setBufferSizes(Handle file, quint32 inputSize, quint32 outputSize) override;
    bool setLine(Handle file, const Line& line) override;
    bool setReadTimeouts(Handle file, const ReadTimeouts& timeouts) override;
    bool purge(Handle file) override;
    bool purgeOutput(Handle file) override;
    bool runsOnWine() override;
    QStringList registeredPortNames() override;
    QString realUnixPath(const QString& path) override;
    QString unixFileText(const QString& unixPath) override;
    QStringList unixFolderEntries(const QString& unixFolder) override;
};

} // namespace Serial
} // namespace NoxCom

#endif
