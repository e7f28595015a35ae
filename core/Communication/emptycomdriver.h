#ifndef NOXCORE_COMMUNICATION_EMPTYCOMDRIVER_H
#define NOXCORE_COMMUNICATION_EMPTYCOMDRIVER_H

#include "comdriver.h"

namespace NoxCore
{
namespace Communication
{

// Stands in for a missing driver: never opens, every transfer fails with CHANNEL_NOT_OPEN. It keeps no
// state, so one instance serves every stream in every thread.
class EmptyComDriver : public ComDriver
{
public:
    EmptyComDriver();
    ~EmptyComDriver() override;

    bool open() override;
    bool close() override;
    int flush() override;
    int write(const unsigned char* data, unsigned int size) override;
    int read(unsigned char* data, unsigned int size) override;
    // Always SUCCESS: it stores no code (the stream's own code says what failed), so sharing it between
    // threads writes nothing.
    int lastError() override;
    int updateDeviceState() override;
    void resetBuffers() override;
    void abortTransfer() override;
};

} // namespace Communication
} // namespace NoxCore

#endif
