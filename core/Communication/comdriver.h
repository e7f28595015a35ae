#ifndef NOXCORE_COMMUNICATION_COMDRIVER_H
#define NOXCORE_COMMUNICATION_COMDRIVER_H

#include "icomdriver.h"
#include "icommunicationnode.h"

namespace NoxCore
{
namespace Communication
{

// Base of every channel driver: keeps the open flag, the device state and the last error code. A driver is
// the bottom of its stack, so it accepts any node below it and ignores it.
class ComDriver : public virtual IComDriver, public virtual ICommunicationNode
{
public:
    // Results of the transfer operations, also used by the com stream.
    enum ErrorCode
    {
        SUCCESS = 0,
        CHANNEL_NOT_OPEN = -1,
        TRANSMIT_FAILED = -2,
        RECEIVE_FAILED = -3,
        DATA_MISMATCH = -4,
        // A write larger than the driver's formatter can carry.
        WRITE_TOO_LARGE = -5
    };

    ComDriver();
    ~ComDriver() override;

    // Declared here once for both interfaces that name them.
    bool open() override = 0;
    bool close() override = 0;
    bool isOpen() override;
    // Reading the error also discards what the driver still buffers, so that an answer the stream refused
    // to read does not show up as the start of the next one.
    int lastError() override;
    bool setNextNode(ICommunicationNode* node) override;

    virtual int deviceState();
    // Re-examines the device and returns its new state.
    virtual int updateDeviceState() = 0;
    // Discards data buffered for transmission and reception.
    virtual void resetBuffers() = 0;
    // Asks a transfer that blocks in another thread to give up early. The drivers of this program never
    // block that long, so they leave it empty or refuse it.
    virtual void abortTransfer() = 0;

    // The text of a code for log lines and messages; "Unknown error code" for codes not listed above.
    static const char* errorToString(int code);

protected:
    int itsDeviceState;
    bool itsIsOpen;
    int itsLastError;

private:
    static const char* const errorStrings[];
    static const char* const unknownErrorCodeText;
};

} // namespace Communication
} // namespace NoxCore

#endif
