#ifndef NOXCORE_COMMUNICATION_ICOMSTREAM_H
#define NOXCORE_COMMUNICATION_ICOMSTREAM_H

namespace NoxCore
{
namespace Communication
{

class ComDriver;
class IComObject;

// Writes com objects as frames through a driver and reads their answers back on flush().
class IComStream
{
public:
    virtual ~IComStream() = default;

    virtual bool open() = 0;
    virtual bool close() = 0;
    virtual bool isOpen() = 0;
    virtual void append(IComObject* object) = 0;
    virtual void flush() = 0;
    virtual IComStream& operator<<(IComObject& object) = 0;
    // The stream's and the driver's error codes combined; reading clears both.
    virtual int lastError() = 0;
    virtual ComDriver* comDriver() = 0;
    virtual bool isResultPending() = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
