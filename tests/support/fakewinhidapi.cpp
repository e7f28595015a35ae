#include "fakewinhidapi.h"

#include <cstring>

FakeWinFileApi::Device& FakeWinHidApi::addInterface(const std::string& path, const Interface& interface)
{
    itsOrder.push_back(path);
    itsInterfaces[path] = interface;
    return addDevice(path);
}

FakeWinHidApi::Interface& FakeWinHidApi::interface(const std::string& path)
{
    return itsInterfaces.at(path);
}

int FakeWinHidApi::outstandingPreparsedData() const
{
    return int(itsPreparsedData.size());
}

FakeWinHidApi::DeviceSet FakeWinHidApi::openInterfaceSet()
{
    std::vector<std::string> present;
    for (const std::string& path : itsOrder)
    {
        if (device(path).present)
            present.push_back(path);
    }
    const Handle set = newHandle(Kind::Other, "device set");
    itsSets[set] = present;
    return set;
}

bool FakeWinHidApi::enumInterface(DeviceSet set, quint32 index, InterfaceData* data)
{
    const auto found = itsSets.find(set);
    if (found == itsSets.end())
        return fail(INVALID_HANDLE_ERROR);
    if (index >= found->second.size())
        return fail(NO_MORE_ITEMS);
    data->record[0] = index;
    itsLastError = 0;
    return true;
}

bool FakeWinHidApi::interfacePath(DeviceSet set, InterfaceData* data, char* buffer, quint32 size,
                                  quint32* requiredSize)
{
    const auto found = itsSets.find(set);
    if (found == itsSets.end() || data->record[0] >= found->second.size())
        return fail(INVALID_HANDLE_ERROR);
    const std::string& path = found->second[data->record[0]];
    Interface& listed = itsInterfaces.at(path);
    // The first call sees the interface, the second no longer does.
    if (listed.vanishesWhileListed && buffer != nullptr)
    {
        unplug(path);
        return fail(NO_SUCH_DEVICE);
    }
    *requiredSize = quint32(path.size() + 1);
    if (buffer == nullptr || size < *requiredSize)
        return fail(INSUFFICIENT_BUFFER);
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    itsLastError = 0;
    return true;
}

bool FakeWinHidApi::closeInterfaceSet(DeviceSet set)
{
    if (itsSets.erase(set) == 0)
        return fail(INVALID_HANDLE_ERROR);
    return releaseHandle(set);
}

bool FakeWinHidApi::attributes(Handle file, quint16* vendorId, quint16* productId)
{
    const Interface* opened = presentInterfaceOf(file);
    if (opened == nullptr || opened->attributesFail)
        return fail(DEVICE_NOT_CONNECTED);
    *vendorId = opened->vendorId;
    *productId = opened->productId;
    return true;
}

bool FakeWinHidApi::preparsedData(Handle file, PreparsedData* data)
{
    if (presentInterfaceOf(file) == nullptr)
        return fail(DEVICE_NOT_CONNECTED);
    *data = itsNextPreparsedData++;
    itsPreparsedData[*data] = pathOf(file);
    return true;
}

bool FakeWinHidApi::reportLengths(PreparsedData data, quint16* inputLength, quint16* outputLength)
{
    const auto found = itsPreparsedData.find(data);
    if (found == itsPreparsedData.end() || itsInterfaces.at(found->second).capabilitiesFail)
        return fail(INVALID_PARAMETER);
    const Interface& described = itsInterfaces.at(found->second);
    *inputLength = described.inputReportLength;
    *outputLength = described.outputReportLength;
    return true;
}

bool FakeWinHidApi::freePreparsedData(PreparsedData data)
{
    return itsPreparsedData.erase(data) == 1 || fail(INVALID_PARAMETER);
}

bool FakeWinHidApi::productString(Handle file, char16_t* buffer, quint32 size)
{
    const Interface* opened = presentInterfaceOf(file);
    if (opened == nullptr)
        return fail(DEVICE_NOT_CONNECTED);
    // Like the class driver: as much as fits, terminated only when there is room for it.
    const std::size_t room = size / sizeof(char16_t);
    const std::size_t copied = std::min(room, opened->productString.size());
    std::copy_n(opened->productString.cbegin(), copied, buffer);
    if (copied < room)
        buffer[copied] = u'\0';
    return true;
}

const FakeWinHidApi::Interface* FakeWinHidApi::presentInterfaceOf(Handle file)
{
    if (presentDeviceOf(file) == nullptr)
        return nullptr;
    return &itsInterfaces.at(pathOf(file));
}
