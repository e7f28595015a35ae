#include "winhidbackend.h"

#include "winhidconnection.h"

#include "Tools/scopeexit.h"
#include "Tools/windows/overlappedfile.h"

#include <QtDebug>

#include <cstring>

namespace NoxHid
{

using NoxCore::Tools::OverlappedFile;

namespace
{

// Windows paths are shorter than this; a larger size is not a path.
const quint32 MAX_PATH_SIZE = 32768;

bool isEverydayFailure(IWinHidApi::Error error)
{
    return error == IWinHidApi::FILE_NOT_FOUND || error == IWinHidApi::SHARING_VIOLATION ||
           error == IWinHidApi::ACCESS_DENIED;
}

} // namespace

WinHidBackend::WinHidBackend(IWinHidApi& api) : itsApi(api) {}

WinHidBackend::~WinHidBackend() = default;

std::vector<std::string> WinHidBackend::interfacePaths()
{
    std::vector<std::string> paths;
    const IWinHidApi::DeviceSet set = itsApi.openInterfaceSet();
    if (set == IWinHidApi::INVALID)
        return paths;
    // Given back also when a path's buffer cannot be had.
    const NoxCore::Tools::ScopeExit release([this, set] { itsApi.closeInterfaceSet(set); });
    std::string path;
    for (quint32 index = 0; interfacePath(set, index, &path); ++index)
    {
        // An interface that went away between the two SetupAPI calls leaves no path, and the others stay.
        if (!path.empty())
            paths.push_back(path);
    }
    return paths;
}

std::unique_ptr<IHidConnection> WinHidBackend::open(const std::string& path)
{
    std::unique_ptr<OverlappedFile> file = OverlappedFile::openExclusive(itsApi, path);
    if (!file->isValid())
    {
        reportOpenFailure(path, file->openError(), file->lastErrorText());
        return nullptr;
    }
    const char* failed = nullptr;
    IWinHidApi::Error error = 0;
    WinHidConnection::Description description;
    IWinHidApi::PreparsedData capabilities = 0;
    if (!itsApi.attributes(file->handle(), &description.vendorId, &description.productId))
        failed = "HidD_GetAttributes";
    else if (!itsApi.preparsedData(file->handle(), &capabilities))
        failed = "HidD_GetPreparsedData";
    else
    {
        const bool described = itsApi.reportLengths(capabilities, &description.inputReportLength,
                                                    &description.outputReportLength);
        if (!described)
        {
            failed = "HidP_GetCaps";
            error = itsApi.lastError();
        }
        itsApi.freePreparsedData(capabilities);
    }
    if (failed != nullptr)
    {
        if (error == 0)
            error = itsApi.lastError();
        reportOpenFailure(path, error, OverlappedFile::describe(itsApi, path, failed, error));
        return nullptr;
    }
    return std::make_unique<WinHidConnection>(std::move(file), description, itsApi);
}

bool WinHidBackend::interfacePath(IWinHidApi::DeviceSet set, quint32 index, std::string* path)
{
    path->clear();
    IWinHidApi::InterfaceData data;
    if (!itsApi.enumInterface(set, index, &data))
        return false;
    quint32 size = 0;
    // The first call only asks how large the path is.
    if (itsApi.interfacePath(set, &data, nullptr, 0, &size) ||
        itsApi.lastError() != IWinHidApi::INSUFFICIENT_BUFFER || size == 0 || size > MAX_PATH_SIZE)
        return true;
    std::string buffer(size, '\0');
    if (!itsApi.interfacePath(set, &data, &buffer[0], size, &size))
        return true;
    buffer.resize(std::strlen(buffer.c_str()));
    *path = buffer;
    return true;
}

void WinHidBackend::reportOpenFailure(const std::string& path, IWinHidApi::Error error, const QString& text)
{
    if (isEverydayFailure(error))
        return;
    {
        std::lock_guard<std::mutex> lock(itsReportedPathsMutex);
        const QString key = QString::fromStdString(path);
        if (itsReportedPaths.contains(key))
            return;
        itsReportedPaths.insert(key);
    }
    qWarning().noquote() << "Cannot open HID interface" << text;
}

} // namespace NoxHid
