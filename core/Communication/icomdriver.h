#ifndef NOXCORE_COMMUNICATION_ICOMDRIVER_H
#define NOXCORE_COMMUNICATION_ICOMDRIVER_H

namespace NoxCore
{
namespace Communication
{

// Moves bytes to and from one channel of the target. The int results are the codes of ComDriver, 0 meaning
// success.
class IComDriver
{
public:
    virtual ~IComDriver() = default;

    virtual bool open() = 0;
    virtual bool close() = 0;
    virtual bool isOpen() = 0;
    // Sends what write() buffered.
    virtual int flush() = 0;
    virtual int write(const unsigned char* data, unsigned int size) = 0;
    // Reads exactly size bytes or fails.
    virtual int read(unsigned char* data, unsigned int size) = 0;
    virtual int lastError() = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
