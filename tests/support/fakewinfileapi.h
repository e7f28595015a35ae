#ifndef LIDORA_TESTS_SUPPORT_FAKEWINFILEAPI_H
#define LIDORA_TESTS_SUPPORT_FAKEWINFILEAPI_H

#include "Tools/windows/iwinfileapi.h"

#include <QByteArray>

#include <deque>
#include <map>
#include <string>
#include <vector>

// Windows' file calls as the Windows back ends meet them, without Windows: devices by path, overlapped
// transfers that end at once, when waited for, or never, cancellation that ends a transfer only when its
// end is waited for, and devices that go away. Nothing sleeps: a wait that would time out does so at
// once, and the time-out it was given is kept for the test to check.
//
// It keeps the books a test needs to catch what would go wrong on Windows: handles still open, handles
// closed twice, and transfers the caller left behind while the system could still write to their record.
// Named mutexes exist while a handle to them is open, as in Windows.
class FakeWinFileApi : public virtual NoxCore::Tools::IWinFileApi
{
public:
    // ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER and ERROR_IO_INCOMPLETE.
    static constexpr Error INVALID_HANDLE_ERROR = 6;
    static constexpr Error INVALID_PARAMETER = 87;
    static constexpr Error IO_INCOMPLETE = 996;

    enum class Completion
    {
        // ReadFile or WriteFile finishes before it returns.
        AtOnce,
        // The transfer is pending and ends when its event is waited for (a read only once input is there).
        WhenWaited,
        // The transfer is pending and never ends by itself.
        Never
    };

    struct Device
    {
        std::deque<QByteArray> input;
        std::vector<QByteArray> written;
        bool present = true;
        Completion reads = Completion::WhenWaited;
        Completion writes = Completion::WhenWaited;
        // Input that arrives while a timed-out read is being cancelled (the cancelled read gets it).
        QByteArray arrivesDuringCancel;
        // The cancelled read still ends as cancelled, counting the bytes it got: a COM port's, on Windows
        // and on Wine. Otherwise it ends as done.
        bool cancelledReadCountsItsBytes = false;
        // The device goes away while a transfer waits for it.
        bool unplugsDuringWait = false;
        // A read with no input there ends at once with nothing (a COM port told not to wait).
        bool readsEndEmpty = false;
        // Fails the next open with this error.
        Error openError = 0;
        // Count of the files on this device that are open, and of every open ever made.
        int openFiles = 0;
        int opens = 0;
    };

    Device& addDevice(const std::string& path);
    Device& device(const std::string& path);
    // The device goes away: its pending transfers end with DEVICE_NOT_CONNECTED and every later call fails.
    void unplug(const std::string& path);

    // Whether a second open of an open device is refused with SHARING_VIOLATION, as Windows does. Wine's
    // HID stack does not on every version.
    bool enforcesSharing = true;

    // The books: closes of handles that were not open, CancelIo calls and the time-out of every wait, in
    // order.
    int unknownCloses = 0;
    int cancels = 0;
    std::vector<quint32> waits;

    int openHandles() const;
    // Transfers the system would still write to.
    int pendingTransfers() const;
    // Device and port sets not closed.
    int openSets() const;

    Handle openExclusive(const std::string& path) override;
    bool closeHandle(Handle handle) override;
    Handle createEvent() override;
    bool readFile(Handle file, void* buffer, quint32 size, Overlapped* overlapped, Handle event) override;
    bool writeFile(Handle file, const void* data, quint32 size, Overlapped* overlapped,
                   Handle event) override;
    Wait waitFor(Handle object, quint32 timeoutMs) override;
    bool cancelIo(Handle file) override;
    bool overlappedResult(Handle file, Overlapped* overlapped, quint32* transferred, bool wait) override;
    Handle createNamedMutex(const QString& name) override;
    Error lastError() override;
    QString errorMessage(Error error) override;

protected:
    enum class Kind
    {
        File,
        Event,
        Mutex,
        Other
    };

    Handle newHandle(Kind kind, const std::string& path = std::string());
    // The path a handle was made for; empty for unknown handles.
    std::string pathOf(Handle handle) const;
    bool isOpen(Handle handle, Kind kind) const;
    // Forgets an open handle; false (and counted) for one that is not open.
    bool releaseHandle(Handle handle);
    // The device of an open file handle; null for anything else or a device that is gone.
    Device* presentDeviceOf(Handle file);
    bool fail(Error error);
    Handle failedHandle(Error error);

    Error itsLastError = 0;

private:
    struct Transfer
    {
        Handle file;
        Handle event;
        bool isRead;
        unsigned char* buffer;
        quint32 size;
        QByteArray data;
        bool ended = false;
        bool cancelled = false;
        Error error = 0;
        quint32 transferred = 0;
    };
    struct OpenHandle
    {
        Kind kind;
        std::string path;
    };

    bool start(Handle file, Overlapped* overlapped, Transfer transfer);
    // Ends the transfer if its device lets it; true when it has ended.
    bool tryToEnd(Transfer& transfer, bool cancelling);
    void endWith(Transfer& transfer, const QByteArray& data);

    std::map<std::string, Device> itsDevices;
    std::map<Handle, OpenHandle> itsHandles;
    std::map<Overlapped*, Transfer> itsTransfers;
    // Open handles of each named mutex; it exists while one is open.
    std::map<QString, int> itsMutexes;
    Handle itsNextHandle = 0x100;
};

#endif
