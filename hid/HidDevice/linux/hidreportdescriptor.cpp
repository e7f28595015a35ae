#include "hidreportdescriptor.h"

#include <algorithm>
#include <array>

namespace NoxHid
{

namespace
{

enum ItemType
{
    MAIN = 0,
    GLOBAL = 1
};

enum MainTag
{
    INPUT = 0x8,
    OUTPUT = 0x9
};

enum GlobalTag
{
    REPORT_SIZE = 0x7,
    REPORT_ID = 0x8,
    REPORT_COUNT = 0x9,
    PUSH = 0xA,
    POP = 0xB
};

const unsigned char LONG_ITEM_PREFIX = 0xFE;
const std::size_t LONG_ITEM_HEADER_SIZE = 3;
// The kernel keeps no deeper global stack, so no working device pushes further.
const std::size_t MAX_PUSH_DEPTH = 4;
const int REPORT_ID_COUNT = 256;
// The longest report whose length, report-id byte included, still fits 16 bits.
const quint64 MAX_REPORT_BITS = quint64(0xFFFF - 1) * 8;

struct GlobalState
{
    quint32 reportSize = 0;
    quint32 reportCount = 0;
    quint32 reportId = 0;
};

// Bits declared so far per report id, for one direction.
class ReportSizes
{
public:
    ReportSizes() { itsBits.fill(0); }

    bool add(quint32 reportId, const GlobalState& state)
    {
        itsBits[reportId] += quint64(state.reportSize) * state.reportCount;
        return itsBits[reportId] <= MAX_REPORT_BITS;
    }

    quint16 lengthWithReportId() const
    {
        const quint64 largest = *std::max_element(itsBits.cbegin(), itsBits.cend());
        return largest == 0 ? 0 : quint16((largest + 7) / 8 + 1);
    }

private:
    std::array<quint64, REPORT_ID_COUNT> itsBits;
};

quint32 itemValue(const unsigned char* data, std::size_t size)
{
    quint32 value = 0;
    for (std::size_t index = 0; index < size; ++index)
        value |= quint32(data[index]) << (8 * index);
    return value;
}

} // namespace

HidReportDescriptor::HidReportDescriptor()
    : itsInputReportLength(0), itsOutputReportLength(0), itsNumbersReports(false)
{
}

bool HidReportDescriptor::parse(const unsigned char* data, std::size_t size)
{
    *this = HidReportDescriptor();
    if (data == nullptr || size == 0 || size > MAX_SIZE)
        return false;

    GlobalState state;
    GlobalState stack[MAX_PUSH_DEPTH];
    std::size_t depth = 0;
    bool numbered = false;
    ReportSizes input;
    ReportSizes output;

    std::size_t position = 0;
    while (position < size)
    {
        const unsigned char prefix = data[position];
        if (prefix == LONG_ITEM_PREFIX)
        {
            // Long items carry vendor data only; skip them whole.
            if (size - position < LONG_ITEM_HEADER_SIZE ||
                size - position - LONG_ITEM_HEADER_SIZE < data[position + 1])
                return false;
            position += LONG_ITEM_HEADER_SIZE + data[position + 1];
            continue;
        }
        const std::size_t valueSize = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        if (size - position - 1 < valueSize)
            return false;
        const quint32 value = itemValue(data + position + 1, valueSize);
        const int type = (prefix >> 2) & 0x3;
        const int tag = prefix >> 4;
        position += 1 + valueSize;

        if (type == MAIN && (tag == INPUT || tag == OUTPUT))
        {
            if (!(tag == INPUT ? input : output).add(state.reportId, state))
                return false;
        }
        else if (type == GLOBAL)
        {
            switch (tag)
            {
            case REPORT_SIZE:
                state.reportSize = value;
                break;
            case REPORT_COUNT:
                state.reportCount = value;
                break;
            case REPORT_ID:
                if (value == 0 || value >= REPORT_ID_COUNT)
                    return false;
                state.reportId = value;
                numbered = true;
                break;
            case PUSH:
                if (depth == MAX_PUSH_DEPTH)
                    return false;
                stack[depth++] = state;
                break;
            case POP:
                if (depth == 0)
                    return false;
                state = stack[--depth];
                break;
            default:
                break;
            }
        }
    }

    itsInputReportLength = input.lengthWithReportId();
    itsOutputReportLength = output.lengthWithReportId();
    itsNumbersReports = numbered;
    return true;
}

quint16 HidReportDescriptor::inputReportLength() const
{
    return itsInputReportLength;
}

quint16 HidReportDescriptor::outputReportLength() const
{
    return itsOutputReportLength;
}

bool HidReportDescriptor::numbersReports() const
{
    return itsNumbersReports;
}

} // namespace NoxHid
