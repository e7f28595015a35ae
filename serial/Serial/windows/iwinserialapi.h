#ifndef NOXCOM_SERIAL_WINDOWS_IWINSERIALAPI_H
#define NOXCOM_SERIAL_WINDOWS_IWINSERIALAPI_H

#include "Tools/windows/iwinfileapi.h"

#include <QStringList>

namespace NoxCom
{
namespace Serial
{

// The SetupAPI, registry and communications calls of the Windows serial back end, in the project's own
// types, so that WinSerialBackend is tested against a fake on every platform. WinSerialApi, built only for
// Windows, makes the real calls.
class IWinSerialApi : public virtual NoxCore::Tools::IWinFileApi
{
public:
    // An HDEVINFO's bits.
    using DeviceSet = Handle;

    // Stands in for an SP_DEVINFO_DATA record (32 bytes on 64-bit Windows).
    struct DeviceData
    {
        alignas(8) std::uint64_t record[4] = {};
    };

    enum class Property
    {
        // SPDRP_HARDWAREID, the first of its strings, e.g. "USB\VID_7A3C&PID_0C08&REV_0100&MI_00".
        HardwareId,
        // SPDRP_MFG.
        Manufacturer,
        // SPDRP_DEVICEDESC.
        Description
    };

    // The line as the DCB carries it; everything else in the DCB is set for a raw 8-bit line without flow
    // control, with DTR and RTS on (a CDC device takes DTR as "a program listens").
    struct Line
    {
        quint32 baudRate = 0;
        quint8 dataBits = 0;
        // 0 none, as the DCB counts parity.
        quint8 parity = 0;
        // 1 or 2.
        quint8 stopBits = 0;
    };

    // COMMTIMEOUTS' read fields; the write fields are 0 (no limit of the system's own).
    struct ReadTimeouts
    {
        quint32 interval = 0;
        quint32 multiplier = 0;
        quint32 constant = 0;
    };

    // SetupDiGetClassDevsW for the present devices of the Ports class; INVALID on failure.
    virtual DeviceSet openPortSet() = 0;
    // SetupDiEnumDeviceInfo; false with NO_MORE_ITEMS past the last.
    virtual bool enumPort(DeviceSet set, quint32 index, DeviceData* data) = 0;
    // SetupDiGetDeviceRegistryPropertyW.
    virtual bool portProperty(DeviceSet set, DeviceData* data, Property property, QString* value) = 0;
    // The device's "PortName" value (SetupDiOpenDevRegKey, RegQueryValueExW, RegCloseKey).
    virtual bool portName(DeviceSet set, DeviceData* data, QString* name) = 0;
    // SetupDiDestroyDeviceInfoList.
    virtual bool closePortSet(DeviceSet set) = 0;

    // SetupComm: the sizes of the system's buffers.
    virtual bool setBufferSizes(Handle file, quint32 inputSize, quint32 outputSize) = 0;
    // GetCommState, the line and the raw settings put in, SetCommState.
    virtual bool setLine(Handle file, const Line& line) = 0;
    // SetCommTimeouts.
    virtual bool setReadTimeouts(Handle file, const ReadTimeouts& timeouts) = 0;
    // PurgeComm of both directions, then ClearCommError, so that the next transfer starts clean.
    virtual bool purge(Handle file) = 0;
    // PurgeComm of what waits to be sent.
    virtual bool purgeOutput(Handle file) = 0;

    // Wine keeps its Ports class empty; the calls below find its COM ports the way Wine makes them, from the
    // Linux terminal devices. Whether this runs on Wine: its ntdll exports wine_get_version, Windows' does
    // not.
    virtual bool runsOnWine() = 0;
    // The port names in HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, where serial port drivers register their ports.
    virtual QStringList registeredPortNames() = 0;
    // Wine only: the Unix path that path (a Windows path, or a Unix one starting with '/') leads to, every
    // symbolic link followed (wine_get_unix_file_name of GetFinalPathNameByHandleW); empty when it leads
    // nowhere. It opens the path without access rights, which opens a terminal device for a moment.
    virtual QString realUnixPath(const QString& path) = 0;
    // Wine only: the text of a small Unix file (a sysfs attribute), trimmed; empty when there is none.
    virtual QString unixFileText(const QString& unixPath) = 0;
    // Wine only: the names in a Unix folder, without "." and ".."; empty when there is no such folder.
    virtual QStringList unixFolderEntries(const QString& unixFolder) = 0;
};

} // namespace Serial
} // namespace NoxCom

#endif
