#ifndef NOXHID_HIDDEVICE_WINDOWS_WINHIDBACKEND_H
#define NOXHID_HIDDEVICE_WINDOWS_WINHIDBACKEND_H

#include "HidDevice/ihidbackend.h"
#include "iwinhidapi.h"

#include <QSet>
#include <QString>

#include <mutex>

namespace NoxHid
{

// The Windows back end: SetupAPI lists the interfaces of the HID class, hid.dll describes them, and
// reports move by overlapped ReadFile and WriteFile. The system's interface paths already carry the ids
// and the interface number the stack filters on, e.g.
//   \\?\hid#vid_7a3c&pid_0c08&mi_03#8&1f2a3b4c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}
// and come in SetupAPI's index order, which stays the same until a device is plugged in or out.
//
// Interfaces open exclusively (see OverlappedFile::openExclusive): a second opener, in this process or
// another, is refused.
class WinHidBackend : public virtual IHidBackend
{
public:
    explicit WinHidBackend(IWinHidApi& api);
    ~WinHidBackend() override;

    std::vector<std::string> interfacePaths() override;
    std::unique_ptr<IHidConnection> open(const std::string& path) override;

private:
    bool interfacePath(IWinHidApi::DeviceSet set, quint32 index, std::string* path);
    // Says once per path why it cannot be opened, unless the reason is one that listings meet every day: the
    // device has gone, or another program (the system, for keyboards and mice) holds it.
    void reportOpenFailure(const std::string& path, IWinHidApi::Error error, const QString& text);

    IWinHidApi& itsApi;
    std::mutex itsReportedPathsMutex;
    QSet<QString> itsReportedPaths;
};

} // namespace NoxHid

#endif
