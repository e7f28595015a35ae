#ifndef NOXCORE_COMMUNICATION_ICOMSTREAMFORMATTER_H
#define NOXCORE_COMMUNICATION_ICOMSTREAMFORMATTER_H

namespace NoxCore
{
namespace Communication
{

// The header of one transport packet of a packet-based driver; the driver gives the header bytes their
// meaning.
class IComStreamFormatter
{
public:
    virtual ~IComStreamFormatter() = default;

    virtual unsigned int getHeaderSize() const = 0;
    // The most data one transfer of the driver may carry.
    virtual unsigned int getMaxDataSize() const = 0;
    // Return the number of header bytes written or read.
    virtual unsigned int formatHeader(unsigned char* buffer, unsigned char first, unsigned char second,
                                      unsigned char third) const = 0;
    virtual unsigned int parseHeader(const unsigned char* buffer, unsigned char* first, unsigned char* second,
                                     unsigned char* third) const = 0;
};

} // namespace Communication
} // namespace NoxCore

#endif
