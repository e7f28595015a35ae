#ifndef NOXHID_HIDDEVICE_IHIDCONNECTION_H
#define NOXHID_HIDDEVICE_IHIDCONNECTION_H

#include <QtGlobal>

#include <string>

namespace NoxHid
{

// One HID interface that a back end has opened exclusively for a HidDevice. Destroying the connection
// closes the interface and gives it up for the next opener.
//
// Reports cross this interface whole and always with the report-id byte first, 0 for devices that do not
// number their reports, whatever the platform does underneath: HidDevice strips and checks that byte
// itself. A connection is used by one thread at a time; every transfer blocks for at most its time-out.
class IHidConnection
{
public:
    enum class Transfer
    {
        Done,
        // Nothing arrived, or nothing could be sent, within the time-out.
        TimedOut,
        // The platform refused the transfer, or the device is gone.
        Failed
    };

    virtual ~IHidConnection() = default;

    virtual quint16 vendorId() const = 0;
    virtual quint16 productId() const = 0;
    // Largest input and output report in bytes, report-id byte included; 0 when the device has none.
    virtual quint16 inputReportLength() const = 0;
    virtual quint16 outputReportLength() const = 0;

    // The device's product string. Asks the device each time: false means it no longer answers.
    virtual bool productString(std::wstring* text) = 0;

    // Waits at most timeoutMs (HID_TIMEOUT_INFINITE: without limit) for one input report and stores at most
    // size bytes of it in buffer, report-id byte first; *transferred is the number of bytes stored. HidDevice
    // always asks for inputReportLength() bytes, so size is at least 1.
    virtual Transfer read(unsigned char* buffer, unsigned int size, unsigned int timeoutMs,
                          unsigned int* transferred) = 0;
    // Sends one output report of length bytes, report-id byte first, waiting at most timeoutMs for the
    // device to take it. Only the whole report counts as sent.
    virtual Transfer write(const unsigned char* data, unsigned int length, unsigned int timeoutMs) = 0;
};

} // namespace NoxHid

#endif
