#include "fakewinfileapi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

FakeWinFileApi::Device& FakeWinFileApi::addDevice(const std::string& path)
{
    return itsDevices[path];
}

FakeWinFileApi::Device& FakeWinFileApi::device(const std::string& path)
{
    return itsDevices.at(path);
}

void FakeWinFileApi::unplug(const std::string& path)
{
    itsDevices.at(path).present = false;
    for (auto& entry : itsTransfers)
    {
        Transfer& transfer = entry.second;
        if (!transfer.ended && pathOf(transfer.file) == path)
        {
            transfer.ended = true;
            transfer.error = DEVICE_NOT_CONNECTED;
        }
    }
}

int FakeWinFileApi::openHandles() const
{
    return int(itsHandles.size());
}

int FakeWinFileApi::pendingTransfers() const
{
    return int(std::count_if(itsTransfers.cbegin(), itsTransfers.cend(),
                             [](const auto& entry) { return !entry.second.ended; }));
}

int FakeWinFileApi::openSets() const
{
    return int(std::count_if(itsHandles.cbegin(), itsHandles.cend(),
                             [](const auto& entry) { return entry.second.kind == Kind::Other; }));
}

FakeWinFileApi::Handle FakeWinFileApi::openExclusive(const std::string& path)
{
    const auto found = itsDevices.find(path);
    if (found == itsDevices.end() || !found->second.present)
        return failedHandle(FILE_NOT_FOUND);
    Device& device = found->second;
    if (device.openError != 0)
    {
        const Error error = device.openError;
        device.openError = 0;
        return failedHandle(error);
    }
    if (enforcesSharing && device.openFiles > 0)
        return failedHandle(SHARING_VIOLATION);
    ++device.openFiles;
    ++device.opens;
    return newHandle(Kind::File, path);
}

bool FakeWinFileApi::closeHandle(Handle handle)
{
    if (isOpen(handle, Kind::File))
    {
        const auto found = itsDevices.find(pathOf(handle));
        if (found != itsDevices.end())
            --found->second.openFiles;
    }
    if (isOpen(handle, Kind::Mutex) && --itsMutexes[QString::fromStdString(pathOf(handle))] == 0)
        itsMutexes.erase(QString::fromStdString(pathOf(handle)));
    return releaseHandle(handle);
}

FakeWinFileApi::Handle FakeWinFileApi::createEvent()
{
    return newHandle(Kind::Event);
}

bool FakeWinFileApi::readFile(Handle file, void* buffer, quint32 size, Overlapped* overlapped, Handle event)
{
    return start(file, overlapped,
                 Transfer{file, event, true, static_cast<unsigned char*>(buffer), size, {}});
}

bool FakeWinFileApi::writeFile(Handle file, const void* data, quint32 size, Overlapped* overlapped,
                               Handle event)
{
    return start(
        file, overlapped,
        Transfer{file, event, false, nullptr, size, QByteArray(static_cast<const char*>(data), int(size))});
}

FakeWinFileApi::Wait FakeWinFileApi::waitFor(Handle object, quint32 timeoutMs)
{
    waits.push_back(timeoutMs);
    if (!isOpen(object, Kind::Event))
    {
        fail(INVALID_HANDLE_ERROR);
        return Wait::Failed;
    }
    for (auto& entry : itsTransfers)
    {
        Transfer& transfer = entry.second;
        if (transfer.event != object)
            continue;
        Device* device = presentDeviceOf(transfer.file);
        if (!transfer.ended && device != nullptr && device->unplugsDuringWait)
            unplug(pathOf(transfer.file));
        if (transfer.ended || tryToEnd(transfer, false))
            return Wait::Signalled;
    }
    return Wait::TimedOut;
}

bool FakeWinFileApi::cancelIo(Handle file)
{
    ++cancels;
    for (auto& entry : itsTransfers)
    {
        if (entry.second.file == file)
            entry.second.cancelled = true;
    }
    return true;
}

bool FakeWinFileApi::overlappedResult(Handle, Overlapped* overlapped, quint32* transferred, bool wait)
{
    *transferred = 0;
    const auto found = itsTransfers.find(overlapped);
    if (found == itsTransfers.end())
        return fail(INVALID_PARAMETER);
    Transfer& transfer = found->second;
    if (!transfer.ended && !wait)
        return fail(IO_INCOMPLETE);
    if (!transfer.ended && !tryToEnd(transfer, transfer.cancelled))
    {
        ADD_FAILURE() << "GetOverlappedResult would wait forever for a transfer nobody cancelled";
        return fail(IO_INCOMPLETE);
    }
    const Transfer ended = transfer;
    itsTransfers.erase(found);
    *transferred = ended.transferred;
    return ended.error == 0 || fail(ended.error);
}

FakeWinFileApi::Handle FakeWinFileApi::createNamedMutex(const QString& name)
{
    const bool existed = itsMutexes[name]++ > 0;
    const Handle mutex = newHandle(Kind::Mutex, name.toStdString());
    itsLastError = existed ? ALREADY_EXISTS : 0;
    return mutex;
}

FakeWinFileApi::Error FakeWinFileApi::lastError()
{
    return itsLastError;
}

QString FakeWinFileApi::errorMessage(Error error)
{
    return error == DEVICE_NOT_CONNECTED ? QStringLiteral("The device is not connected.")
                                         : QStringLiteral("Something failed.");
}

FakeWinFileApi::Handle FakeWinFileApi::newHandle(Kind kind, const std::string& path)
{
    const Handle handle = itsNextHandle;
    itsNextHandle += 4;
    itsHandles[handle] = OpenHandle{kind, path};
    itsLastError = 0;
    return handle;
}

std::string FakeWinFileApi::pathOf(Handle handle) const
{
    const auto found = itsHandles.find(handle);
    return found == itsHandles.end() ? std::string() : found->second.path;
}

bool FakeWinFileApi::isOpen(Handle handle, Kind kind) const
{
    const auto found = itsHandles.find(handle);
    return found != itsHandles.end() && found->second.kind == kind;
}

bool FakeWinFileApi::releaseHandle(Handle handle)
{
    if (itsHandles.erase(handle) == 0)
    {
        ++unknownCloses;
        return fail(INVALID_HANDLE_ERROR);
    }
    return true;
}

FakeWinFileApi::Device* FakeWinFileApi::presentDeviceOf(Handle file)
{
    if (!isOpen(file, Kind::File))
        return nullptr;
    const auto found = itsDevices.find(pathOf(file));
    return found != itsDevices.end() && found->second.present ? &found->second : nullptr;
}

FakeWinFileApi::Handle FakeWinFileApi::failedHandle(Error error)
{
    itsLastError = error;
    return INVALID;
}

bool FakeWinFileApi::fail(Error error)
{
    itsLastError = error;
    return false;
}

bool FakeWinFileApi::start(Handle file, Overlapped* overlapped, Transfer transfer)
{
    if (!isOpen(file, Kind::File) || !isOpen(transfer.event, Kind::Event))
        return fail(INVALID_HANDLE_ERROR);
    Device* device = presentDeviceOf(file);
    if (device == nullptr)
        return fail(DEVICE_NOT_CONNECTED);
    const auto previous = itsTransfers.find(overlapped);
    if (previous != itsTransfers.end() && !previous->second.ended)
        ADD_FAILURE() << "a transfer's record was used again while the system still writes to it";
    Transfer& started = itsTransfers[overlapped] = transfer;
    const Completion completion = transfer.isRead ? device->reads : device->writes;
    const bool endsAtOnce = completion == Completion::AtOnce || (transfer.isRead && device->readsEndEmpty);
    if (endsAtOnce && tryToEnd(started, false))
        return started.error == 0 || fail(started.error);
    return fail(IO_PENDING);
}

bool FakeWinFileApi::tryToEnd(Transfer& transfer, bool cancelling)
{
    if (transfer.ended)
        return true;
    Device* device = presentDeviceOf(transfer.file);
    if (device == nullptr)
    {
        transfer.ended = true;
        transfer.error = DEVICE_NOT_CONNECTED;
        return true;
    }
    const Completion completion = transfer.isRead ? device->reads : device->writes;
    if (transfer.isRead && completion != Completion::Never && !device->input.empty())
    {
        endWith(transfer, device->input.front());
        device->input.pop_front();
        return true;
    }
    if (transfer.isRead && device->readsEndEmpty)
    {
        endWith(transfer, QByteArray());
        return true;
    }
    if (!transfer.isRead && completion != Completion::Never)
    {
        device->written.push_back(transfer.data);
        endWith(transfer, transfer.data);
        return true;
    }
    if (!cancelling)
        return false;
    if (transfer.isRead && !device->arrivesDuringCancel.isEmpty())
    {
        endWith(transfer, device->arrivesDuringCancel);
        device->arrivesDuringCancel.clear();
        if (device->cancelledReadCountsItsBytes)
            transfer.error = OPERATION_ABORTED;
        return true;
    }
    transfer.ended = true;
    transfer.error = OPERATION_ABORTED;
    return true;
}

void FakeWinFileApi::endWith(Transfer& transfer, const QByteArray& data)
{
    transfer.ended = true;
    transfer.transferred = std::min<quint32>(transfer.size, quint32(data.size()));
    if (transfer.isRead)
        std::memcpy(transfer.buffer, data.constData(), transfer.transferred);
}
