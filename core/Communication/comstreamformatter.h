#ifndef NOXCORE_COMMUNICATION_COMSTREAMFORMATTER_H
#define NOXCORE_COMMUNICATION_COMSTREAMFORMATTER_H

#include "icomstreamformatter.h"

namespace NoxCore
{
namespace Communication
{

// A 3-byte packet header in front of data of up to one whole stream frame. Drivers never own their formatter.
class ComStreamFormatter : public virtual IComStreamFormatter
{
public:
    static constexpr unsigned int HEADER_SIZE = 3;

    ComStreamFormatter();
    ~ComStreamFormatter() override;

    unsigned int getHeaderSize() const override;
    unsigned int getMaxDataSize() const override;
    unsigned int formatHeader(unsigned char* buffer, unsigned char first, unsigned char second,
                              unsigned char third) const override;
    // Null out parameters are skipped.
    unsigned int parseHeader(const unsigned char* buffer, unsigned char* first, unsigned char* second,
                             unsigned char* third) const override;
};

} // namespace Communication
} // namespace NoxCore

#endif
