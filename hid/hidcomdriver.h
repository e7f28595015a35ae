#ifndef NOXHID_HIDCOMDRIVER_H
#define NOXHID_HIDCOMDRIVER_H

#include "HidDevice/hiddevice.h"
#include "HidDevice/hiddevicesettings.h"
#include "hidcomdeviceinfo.h"

#include "Communication/comdriver.h"

#include <QList>
#include <QString>

namespace NoxCore
{
namespace Communication
{
class IComStreamFormatter;
}
} // namespace NoxCore

namespace NoxHid
{

// Carries a com stream's bytes over one HID interface in 64-byte reports (65 with the report-id byte).
// Each report starts with the formatter's header: a sequence number, the count of data bytes and a 0.
// Answers come back in input reports whose first header byte echoes, in bits 7..4, the sequence number of
// the last report sent; older answers still queued in the device are skipped.
//
// A node of the communication stack: its NodeStateManager opens it and, after the board was unplugged,
// opens it again. Used by one thread at a time; every report blocks for up to its time-out. Never owns
// its formatter.
class HidComDriver : public NoxCore::Communication::ComDriver
{
public:
    static constexpr unsigned int REPORT_SIZE = 65;
    static constexpr unsigned int REPORT_PAYLOAD_SIZE = REPORT_SIZE - 1;
    // What the unused bytes of an output report are filled with.
    static constexpr unsigned char REPORT_FILL_BYTE = 0xCB;
    // Sequence numbers run 1..14, 0, 1, ...: they must fit the four bits the board echoes, and 15 is kept
    // apart by the board.
    static constexpr unsigned int SEQUENCE_MODULUS = 15;
    static constexpr int DEFAULT_TIMEOUT_MS = 1500;
    // Device states.
    static constexpr int DEVICE_PRESENT = 4;
    static constexpr int DEVICE_ABSENT = 2;
    static constexpr int PATH_FILTER_MAX_LENGTH = 255;

    explicit HidComDriver(const HidComDeviceInfo& info);
    ~HidComDriver() override;
    HidComDriver(const HidComDriver&) = delete;
    HidComDriver& operator=(const HidComDriver&) = delete;

    bool open() override;
    bool close() override;
    int flush() override;
    int write(const unsigned char* data, unsigned int size) override;
    int read(unsigned char* data, unsigned int size) override;
    int updateDeviceState() override;
    void resetBuffers() override;
    void abortTransfer() override;

    // Ignored while open: the report layout must not change under a transfer.
    void setFormatter(NoxCore::Communication::IComStreamFormatter* formatter);
    NoxCore::Communication::IComStreamFormatter* formatter() const { return itsFormatter; }
    HidComDeviceInfo* deviceInfo() { return &itsDeviceInfo; }

    // One raw report through the device; the last argument is not used.
    virtual bool writeReport(const unsigned char* data, unsigned int length, unsigned int);
    // Bytes read, or -1.
    virtual int readReport(unsigned char* buffer, unsigned int size, unsigned int);

    int readTimeout() const { return itsReadTimeout; }
    void setReadTimeout(int milliseconds);
    int writeTimeout() const { return itsWriteTimeout; }
    void setWriteTimeout(int milliseconds);
    HidDeviceSettings settings() const { return itsSettings; }
    void setSettings(const HidDeviceSettings& settings);

    // The interfaces present with these ids whose path contains pathFilter (empty: all of them).
    static QList<HidComDeviceInfo> listDevices(quint16 vendorId, quint16 productId,
                                               const QString& pathFilter);

private:
    void sendReport();
    void receiveReport();
    int transmitDataPerReport() const;
    void fillTransmitPayload();

    HidComDeviceInfo itsDeviceInfo;
    HidDeviceSettings itsSettings;
    NoxCore::Communication::IComStreamFormatter* itsFormatter = nullptr;
    unsigned char itsTransmitBuffer[REPORT_SIZE];
    int itsTransmitCount = 0;
    unsigned int itsTransmitDataPosition = 0;
    // Byte 0 stands for the report id, which the device does not hand over; the payload follows at byte 1,
    // and the device gets room for a whole report there.
    unsigned char itsReceiveBuffer[REPORT_SIZE + 1];
    int itsReceiveCount = 0;
    unsigned int itsReceiveDataPosition = 0;
    quint8 itsSequence = 0;
    int itsReadTimeout = DEFAULT_TIMEOUT_MS;
    int itsWriteTimeout = DEFAULT_TIMEOUT_MS;
    int itsMaxDataPerReport = REPORT_PAYLOAD_SIZE;
    HidDevice itsDevice;
};

} // namespace NoxHid

#endif
