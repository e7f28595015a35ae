#include "hiddevice.h"

#include "hidbackend.h"

#include "Tools/noxassert.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace NoxHid
{

struct HidDevice::Filter
{
    bool byVendor = false;
    quint16 vendorId = 0;
    bool byProduct = false;
    quint16 productId = 0;
    const char* path = nullptr;

    static Filter ofIds(quint16 vendorId, quint16 productId, const char* pathFilter = nullptr)
    {
        Filter filter;
        filter.byVendor = true;
        filter.vendorId = vendorId;
        filter.byProduct = true;
        filter.productId = productId;
        filter.path = pathFilter;
        return filter;
    }
};

HidDevice::HidDevice() = default;

HidDevice::~HidDevice()
{
    close();
}

int HidDevice::open(const HidDeviceInfo* info)
{
    if (isOpen())
        return HID_ALREADY_OPEN;
    if (info == nullptr)
        return HID_NOT_OPEN;

    auto opened = std::make_unique<HidDeviceInfo>(*info);
    std::unique_ptr<IHidConnection> connection;
    if (opened->isPathEmpty())
    {
        for (const std::string& path : enumeratedPaths())
        {
            connection = openDevicePath(path.c_str(), opened->vendorId(), opened->productId());
            if (connection)
            {
                opened->setPath(path.c_str());
                break;
            }
        }
    }
    else
    {
        connection = openDevicePath(opened->path(), opened->vendorId(), opened->productId());
    }

    if (!connection || connection->inputReportLength() == 0 || connection->outputReportLength() == 0)
    {
        reset();
        return HID_NOT_OPEN;
    }
    setOpened(std::move(opened), connection->inputReportLength(), connection->outputReportLength());
    itsHandle = std::move(connection);
    return HID_SUCCESS;
}

bool HidDevice::isOpen()
{
    return itsHandle != nullptr;
}

int HidDevice::close()
{
    const bool wasOpen = isOpen();
    reset();
    return wasOpen ? HID_SUCCESS : HID_NOT_OPEN;
}

int HidDevice::write(const unsigned char* data, unsigned int length)
{
    NOX_ASSERT(data != nullptr, "buffer is Null!");
    // Asked before the length: a closed device has no output report, and "not open" is the useful answer.
    if (!isOpen())
        return HID_NOT_OPEN;
    if (length > outputReportLength())
        return HID_WRONG_BUFFER_SIZE;
    return resultOf(itsHandle->write(data, length, writeTimeout()));
}

int HidDevice::read(unsigned char* buffer, unsigned int size, unsigned int* bytesRead)
{
    NOX_ASSERT(buffer != nullptr, "buffer is Null!");
    NOX_ASSERT(bytesRead != nullptr, "bytesRead is Null!");
    if (size < inputReportLength())
        return HID_WRONG_BUFFER_SIZE;
    std::memset(buffer, 0, size);
    *bytesRead = 0;
    if (!isOpen())
        return HID_NOT_OPEN;

    const unsigned int reportLength = inputReportLength();
    unsigned int transferred = 0;
    const int result = resultOf(itsHandle->read(buffer, reportLength, readTimeout(), &transferred));
    // A back end that claims more than the report cannot have written more than the buffer holds.
    transferred = std::min(transferred, reportLength);
    if (result != HID_SUCCESS || transferred == 0)
        return result;
    // Callers want the report's data; the report-id byte in front is the platform's framing.
    std::memmove(buffer, buffer + 1, transferred - 1);
    buffer[transferred - 1] = 0;
    *bytesRead = transferred - 1;
    return HID_SUCCESS;
}

bool HidDevice::getProductString(wchar_t* buffer, unsigned int lengthInChars)
{
    NOX_ASSERT(buffer != nullptr, "string is Null!");
    std::wstring text;
    if (!isOpen() || !itsHandle->productString(&text))
        return false;
    if (lengthInChars > 0)
    {
        const std::size_t copied = std::min<std::size_t>(text.size(), lengthInChars - 1);
        std::copy_n(text.cbegin(), copied, buffer);
        buffer[copied] = L'\0';
    }
    return true;
}

int HidDevice::reset()
{
    itsHandle.reset();
    return HidDeviceBase::reset();
}

bool HidDevice::getDevicePath(unsigned int index, char path[HID_PATH_SIZE])
{
    NOX_ASSERT(path != nullptr, "path is Null!");
    const std::vector<std::string> paths = enumeratedPaths();
    if (index >= paths.size())
        return false;
    std::memcpy(path, paths[index].c_str(), paths[index].size() + 1);
    return true;
}

std::unique_ptr<IHidConnection> HidDevice::openDevicePath(const char* path, quint16 vendorId,
                                                          quint16 productId)
{
    NOX_ASSERT(path != nullptr, "path is Null!");
    if (namesOtherIds(path, Filter::ofIds(vendorId, productId)))
        return nullptr;
    std::unique_ptr<IHidConnection> connection = HidBackend::active().open(path);
    if (connection && (connection->vendorId() != vendorId || connection->productId() != productId))
        connection.reset();
    return connection;
}

QList<HidDeviceInfo> HidDevice::listDevices()
{
    return list(Filter());
}

QList<HidDeviceInfo> HidDevice::listDevices(quint16 vendorId)
{
    Filter filter;
    filter.byVendor = true;
    filter.vendorId = vendorId;
    return list(filter);
}

QList<HidDeviceInfo> HidDevice::listDevices(quint16 vendorId, quint16 productId)
{
    return listDevices(vendorId, productId, nullptr);
}

QList<HidDeviceInfo> HidDevice::listDevices(quint16 vendorId, quint16 productId, const char* pathFilter)
{
    return list(Filter::ofIds(vendorId, productId, pathFilter));
}

// Interfaces are looked at by index from 0 upward, and the walk ends at the first index that has no usable
// path, so at most HID_MAX_INTERFACES are ever seen and a path that does not fit HID_PATH_SIZE is never cut.
std::vector<std::string> HidDevice::enumeratedPaths()
{
    std::vector<std::string> paths = HidBackend::active().interfacePaths();
    if (paths.size() > HID_MAX_INTERFACES)
        paths.resize(HID_MAX_INTERFACES);
    const auto unusable =
        std::find_if(paths.begin(), paths.end(),
                     [](const std::string& path)
                     { return path.size() >= HID_PATH_SIZE || path.find('\0') != std::string::npos; });
    paths.erase(unusable, paths.end());
    return paths;
}

QList<HidDeviceInfo> HidDevice::list(const Filter& filter)
{
    QList<HidDeviceInfo> devices;
    for (const std::string& path : enumeratedPaths())
    {
        // The path is looked at first, so that interfaces the caller does not want are never opened.
        if ((filter.path != nullptr && path.find(filter.path) == std::string::npos) ||
            namesOtherIds(path, filter))
            continue;
        const std::unique_ptr<IHidConnection> connection = HidBackend::active().open(path);
        if (!connection || (filter.byVendor && connection->vendorId() != filter.vendorId) ||
            (filter.byProduct && connection->productId() != filter.productId))
            continue;
        HidDeviceInfo device(connection->vendorId(), connection->productId());
        device.setPath(path.c_str());
        devices.append(device);
    }
    return devices;
}

// Back ends put the ids they know without opening anything (sysfs has them) into the path, as
// "vid_7a3c&pid_0c08". Opening an interface only to learn its ids would open, lock for a moment and, for a
// user without access, warn about every keyboard and mouse on the machine, each time the stack looks for a
// board that is not there. A path without ids has to be opened to be asked.
bool HidDevice::namesOtherIds(const std::string& path, const Filter& filter)
{
    const auto namedId = [&path](const char* key, quint16* id)
    {
        const std::size_t position = path.find(key);
        if (position == std::string::npos)
            return false;
        bool isNumber = false;
        *id = QString::fromStdString(path.substr(position + std::strlen(key), 4)).toUShort(&isNumber, 16);
        return isNumber;
    };
    quint16 id = 0;
    return (filter.byVendor && namedId("vid_", &id) && id != filter.vendorId) ||
           (filter.byProduct && namedId("pid_", &id) && id != filter.productId);
}

int HidDevice::resultOf(IHidConnection::Transfer transfer)
{
    switch (transfer)
    {
    case IHidConnection::Transfer::Done:
        return HID_SUCCESS;
    case IHidConnection::Transfer::TimedOut:
        return HID_TIMED_OUT;
    case IHidConnection::Transfer::Failed:
        break;
    }
    return HID_TRANSFER_FAILED;
}

} // namespace NoxHid
