#include "fakewinserialapi.h"

std::string FakeWinSerialApi::portPath(const QString& name)
{
    return "\\\\.\\" + name.toStdString();
}

void FakeWinSerialApi::addPort(const Port& port)
{
    itsPorts.push_back(port);
    if (!port.name.isEmpty())
        addDevice(portPath(port.name));
}

const FakeWinSerialApi::Settings& FakeWinSerialApi::settings(const QString& name)
{
    return itsSettings[portPath(name)];
}

FakeWinSerialApi::DeviceSet FakeWinSerialApi::openPortSet()
{
    return newHandle(Kind::Other, "port set");
}

bool FakeWinSerialApi::enumPort(DeviceSet set, quint32 index, DeviceData* data)
{
    if (!isOpen(set, Kind::Other))
        return fail(INVALID_HANDLE_ERROR);
    if (index >= itsPorts.size())
        return fail(NO_MORE_ITEMS);
    data->record[0] = index;
    return true;
}

bool FakeWinSerialApi::portProperty(DeviceSet set, DeviceData* data, Property property, QString* value)
{
    const Port* port = portOf(set, data);
    if (port == nullptr)
        return fail(INVALID_HANDLE_ERROR);
    static const std::map<Property, QString Port::*> fields = {{Property::HardwareId, &Port::hardwareId},
                                                               {Property::Manufacturer, &Port::manufacturer},
                                                               {Property::Description, &Port::description}};
    *value = port->*fields.at(property);
    // A property the device does not have is not there at all (ERROR_INVALID_DATA).
    return !value->isEmpty() || fail(13);
}

bool FakeWinSerialApi::portName(DeviceSet set, DeviceData* data, QString* name)
{
    const Port* port = portOf(set, data);
    if (port == nullptr || port->name.isEmpty())
        return fail(FILE_NOT_FOUND);
    *name = port->name;
    return true;
}

bool FakeWinSerialApi::closePortSet(DeviceSet set)
{
    return isOpen(set, Kind::Other) ? releaseHandle(set) : fail(INVALID_HANDLE_ERROR);
}

bool FakeWinSerialApi::setBufferSizes(Handle file, quint32 inputSize, quint32)
{
    Settings* settings = settingsOf(file);
    if (settings == nullptr)
        return fail(INVALID_HANDLE_ERROR);
    settings->inputBufferSize = inputSize;
    return true;
}

bool FakeWinSerialApi::setLine(Handle file, const Line& line)
{
    Settings* settings = settingsOf(file);
    if (settings == nullptr || failLine)
        return fail(31);
    settings->line = line;
    return true;
}

bool FakeWinSerialApi::setReadTimeouts(Handle file, const ReadTimeouts& timeouts)
{
    Settings* settings = settingsOf(file);
    Device* port = presentDeviceOf(file);
    if (settings == nullptr || port == nullptr)
        return fail(DEVICE_NOT_CONNECTED);
    settings->readTimeouts.push_back(timeouts);
    port->readsEndEmpty =
        timeouts.interval == 0xFFFFFFFFu && timeouts.multiplier == 0 && timeouts.constant == 0;
    return true;
}

bool FakeWinSerialApi::purge(Handle file)
{
    Settings* settings = settingsOf(file);
    if (settings == nullptr || presentDeviceOf(file) == nullptr)
        return fail(DEVICE_NOT_CONNECTED);
    ++settings->purges;
    presentDeviceOf(file)->input.clear();
    return true;
}

bool FakeWinSerialApi::purgeOutput(Handle file)
{
    Settings* settings = settingsOf(file);
    if (settings == nullptr)
        return fail(INVALID_HANDLE_ERROR);
    ++settings->outputPurges;
    return true;
}

bool FakeWinSerialApi::runsOnWine()
{
    return wine;
}

QStringList FakeWinSerialApi::registeredPortNames()
{
    ++wineCalls;
    return registered;
}

QString FakeWinSerialApi::realUnixPath(const QString& path)
{
    ++wineCalls;
    resolvedPaths.append(path);
    const auto found = realPaths.find(path);
    return found == realPaths.end() ? QString() : found->second;
}

QString FakeWinSerialApi::unixFileText(const QString& unixPath)
{
    ++wineCalls;
    const auto found = unixFiles.find(unixPath);
    return found == unixFiles.end() ? QString() : found->second;
}

QStringList FakeWinSerialApi::unixFolderEntries(const QString& unixFolder)
{
    ++wineCalls;
    const auto found = unixFolders.find(unixFolder);
    return found == unixFolders.end() ? QStringList() : found->second;
}

const FakeWinSerialApi::Port* FakeWinSerialApi::portOf(DeviceSet set, const DeviceData* data)
{
    if (!isOpen(set, Kind::Other) || data->record[0] >= itsPorts.size())
        return nullptr;
    return &itsPorts[data->record[0]];
}

FakeWinSerialApi::Settings* FakeWinSerialApi::settingsOf(Handle file)
{
    if (!isOpen(file, Kind::File))
        return nullptr;
    return &itsSettings[FakeWinFileApi::pathOf(file)];
}
