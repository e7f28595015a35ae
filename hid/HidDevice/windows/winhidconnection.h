#ifndef NOXHID_HIDDEVICE_WINDOWS_WINHIDCONNECTION_H
#define NOXHID_HIDDEVICE_WINDOWS_WINHIDCONNECTION_H

#include "HidDevice/ihidconnection.h"
#include "iwinhidapi.h"

#include "Tools/windows/overlappedfile.h"

#include <memory>

namespace NoxHid
{

// One HID interface opened exclusively by WinHidBackend.
//
// Windows hands out reports with their report-id byte in front, 0 for unnumbered ones, which is the form
// HidDevice expects, so reads pass through unchanged. Writes shorter than the output report are filled up
// with zeros: the HID class driver takes only whole reports.
class WinHidConnection : public virtual IHidConnection
{
public:
    struct Description
    {
        quint16 vendorId = 0;
        quint16 productId = 0;
        quint16 inputReportLength = 0;
        quint16 outputReportLength = 0;
    };

    WinHidConnection(std::unique_ptr<NoxCore::Tools::OverlappedFile> file, const Description& description,
                     IWinHidApi& api);
    ~WinHidConnection() override;
    WinHidConnection(const WinHidConnection&) = delete;
    WinHidConnection& operator=(const WinHidConnection&) = delete;

    quint16 vendorId() const override;
    quint16 productId() const override;
    quint16 inputReportLength() const override;
    quint16 outputReportLength() const override;
    bool productString(std::wstring* text) override;
    Transfer read(unsigned char* buffer, unsigned int size, unsigned int timeoutMs,
                  unsigned int* transferred) override;
    Transfer write(const unsigned char* data, unsigned int length, unsigned int timeoutMs) override;

private:
    Transfer transferOf(NoxCore::Tools::OverlappedFile::Result result);

    IWinHidApi& itsApi;
    std::unique_ptr<NoxCore::Tools::OverlappedFile> itsFile;
    Description itsDescription;
    // One warning per connection: a device that went away fails every transfer until the driver closes it.
    bool itsFailureReported = false;
};

} // namespace NoxHid

#endif
