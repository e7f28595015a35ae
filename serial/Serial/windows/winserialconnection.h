#ifndef NOXCOM_SERIAL_WINDOWS_WINSERIALCONNECTION_H
#define NOXCOM_SERIAL_WINDOWS_WINSERIALCONNECTION_H

#include "Serial/iserialconnection.h"
#include "iwinserialapi.h"

#include "Tools/windows/overlappedfile.h"

#include <memory>

namespace NoxCom
{
namespace Serial
{

// A COM port opened by WinSerialBackend, moved by overlapped ReadFile and WriteFile. A read that waits is
// set up to end as soon as the first byte is there (COMMTIMEOUTS with interval and multiplier at their
// maximum), and the wait for it is bounded by the caller's time-out through OverlappedFile, which cancels
// what runs over; the system's own read time-out is kept out of the way, since not every system behind
// this API carries out that setting.
class WinSerialConnection : public virtual ISerialConnection
{
public:
    WinSerialConnection(IWinSerialApi& api, std::unique_ptr<NoxCore::Tools::OverlappedFile> file);
    ~WinSerialConnection() override;
    WinSerialConnection(const WinSerialConnection&) = delete;
    WinSerialConnection& operator=(const WinSerialConnection&) = delete;

    Transfer write(const char* data, qint64 size, int timeoutMs) override;
    Transfer read(char* data, qint64 size, int timeoutMs, qint64* count) override;
    void clear() override;

private:
    enum class ReadMode
    {
        Unknown,
        // Ends with the first byte.
        Waiting,
        // Ends at once with what is there.
        Immediate
    };

    bool setReadMode(ReadMode mode);
    Transfer failed(const QString& text);

    IWinSerialApi& itsApi;
    std::unique_ptr<NoxCore::Tools::OverlappedFile> itsFile;
    ReadMode itsReadMode = ReadMode::Unknown;
    // One warning per connection: a port that went away fails every transfer until the driver lets it go.
    bool itsFailureReported = false;
};

} // namespace Serial
} // namespace NoxCom

#endif
