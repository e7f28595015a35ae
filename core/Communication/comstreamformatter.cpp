#include "comstreamformatter.h"

#include "Tools/noxassert.h"
#include "frameformat.h"

#include <cstddef>

namespace NoxCore
{
namespace Communication
{

ComStreamFormatter::ComStreamFormatter() = default;

ComStreamFormatter::~ComStreamFormatter() = default;

unsigned int ComStreamFormatter::getHeaderSize() const
{
    return HEADER_SIZE;
}

unsigned int ComStreamFormatter::getMaxDataSize() const
{
    return FRAME_SIZE;
}

unsigned int ComStreamFormatter::formatHeader(unsigned char* buffer, unsigned char first,
                                              unsigned char second, unsigned char third) const
{
    NOX_ASSERT(buffer != NULL, "buffer is Null!");
    buffer[0] = first;
    buffer[1] = second;
    buffer[2] = third;
    return HEADER_SIZE;
}

unsigned int ComStreamFormatter::parseHeader(const unsigned char* buffer, unsigned char* first,
                                             unsigned char* second, unsigned char* third) const
{
    NOX_ASSERT(buffer != NULL, "buffer is Null!");
    if (first != nullptr)
        *first = buffer[0];
    if (second != nullptr)
        *second = buffer[1];
    if (third != nullptr)
        *third = buffer[2];
    return HEADER_SIZE;
}

} // namespace Communication
} // namespace NoxCore
