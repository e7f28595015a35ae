#ifndef NOXHID_HIDDEVICE_IHIDDEVICE_H
#define NOXHID_HIDDEVICE_IHIDDEVICE_H

#include "hiddeviceinfo.h"

#include <QtGlobal>

namespace NoxHid
{

// Transfer time-outs in milliseconds. A valid time-out is HID_TIMEOUT_MIN..HID_TIMEOUT_MAX or exactly
// HID_TIMEOUT_INFINITE, which waits without limit.
constexpr unsigned int HID_TIMEOUT_MIN = 1;
constexpr unsigned int HID_TIMEOUT_MAX = 0x7FFFFFFF;
constexpr unsigned int HID_TIMEOUT_INFINITE = 0xFFFFFFFF;

// Results of the device operations. Positive, so that they never mix with the com drivers' negative codes.
enum HidResult : int
{
    HID_SUCCESS = 0,
    // Not open, no matching interface could be opened, or no description was given.
    HID_NOT_OPEN = 2,
    HID_ALREADY_OPEN = 3,
    HID_TIMED_OUT = 4,
    HID_TRANSFER_FAILED = 5,
    // A read buffer smaller than the input report, or a write longer than the output report.
    HID_WRONG_BUFFER_SIZE = 8
};

// Whole-report access to one HID interface, opened exclusively.
class IHidDevice
{
public:
    virtual int open(const HidDeviceInfo* info) = 0;
    virtual bool isOpen() = 0;
    // HID_SUCCESS when an open device was closed, HID_NOT_OPEN when none was.
    virtual int close() = 0;
    // One output report; its first byte is the report id.
    virtual int write(const unsigned char* data, unsigned int length) = 0;
    // One input report without its report-id byte; *bytesRead is the number of report bytes delivered.
    virtual int read(unsigned char* buffer, unsigned int size, unsigned int* bytesRead) = 0;
    // False when the device no longer answers: the presence check of the HID com driver.
    virtual bool getProductString(wchar_t* buffer, unsigned int lengthInChars) = 0;
    // The description of the opened device; an empty one while closed.
    virtual HidDeviceInfo deviceInfo() = 0;
    // Report byte lengths including the report-id byte; 0 while closed.
    virtual quint16 inputReportLength() = 0;
    virtual quint16 outputReportLength() = 0;
    virtual void timeouts(unsigned int* readTimeout, unsigned int* writeTimeout) = 0;
    virtual void setTimeouts(unsigned int readTimeout, unsigned int writeTimeout) = 0;
    // Closes the device.
    virtual ~IHidDevice() = default;
    // Forgets the device without asking the platform: closed state, no description, report lengths 0.
    virtual int reset() = 0;
};

} // namespace NoxHid

#endif
