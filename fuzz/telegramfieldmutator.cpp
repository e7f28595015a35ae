// A mutator for the targets that read telegram XML. libFuzzer's own byte mutations rarely turn a whole field
// value into another whole value: a width of "1" has to become exactly "fffffffe", with the closing tag
// intact, in a telegram whose type uses that width. Half of the mutations here therefore pick one field value
// of the input (an element's text or an attribute's value) and put a boundary value in its place; the other
// half are libFuzzer's own, dictionary included.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace
{

// The values the byte packer, the widths and the length fields turn on, in the hexadecimal the telegrams use.
const std::array<const char*, 20> BOUNDARY_VALUES = {
    "",    "0",    "1",     "2",        "3",        "4",        "5",        "7f",        "80", "ff",
    "100", "ffff", "10000", "7fffffff", "80000000", "fffffffe", "ffffffff", "100000000", "-1", "-2"};

struct Span
{
    size_t begin;
    size_t end;
};

// Element texts (">value</") and attribute values ("=\"value\"") of the input, without nested markup.
std::vector<Span> fieldValues(const uint8_t* data, size_t size)
{
    std::vector<Span> spans;
    for (size_t i = 0; i < size; ++i)
    {
        const bool elementText = data[i] == '>';
        const bool attributeValue = data[i] == '"' && i > 0 && data[i - 1] == '=';
        if (!elementText && !attributeValue)
            continue;
        const uint8_t closing = elementText ? '<' : '"';
        size_t end = i + 1;
        while (end < size && data[end] != closing && data[end] != '>' && data[end] != '\n')
            ++end;
        if (end < size && data[end] == closing &&
            (attributeValue || (end + 1 < size && data[end + 1] == '/')))
            spans.push_back({i + 1, end});
    }
    return spans;
}

std::string randomHex(std::minstd_rand& random)
{
    static const char digits[] = "0123456789abcdef";
    std::string value(1 + random() % 9, '0');
    for (char& digit : value)
        digit = digits[random() % 16];
    return value;
}

size_t replaceFieldValue(uint8_t* data, size_t size, size_t maxSize, std::minstd_rand& random)
{
    const std::vector<Span> spans = fieldValues(data, size);
    if (spans.empty())
        return 0;
    const Span span = spans[random() % spans.size()];
    const size_t choice = random() % (BOUNDARY_VALUES.size() + 1);
    const std::string value = choice < BOUNDARY_VALUES.size() ? BOUNDARY_VALUES[choice] : randomHex(random);

    const size_t newSize = size - (span.end - span.begin) + value.size();
    if (newSize > maxSize)
        return 0;
    std::memmove(data + span.begin + value.size(), data + span.end, size - span.end);
    std::memcpy(data + span.begin, value.data(), value.size());
    return newSize;
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    std::minstd_rand random(seed);
    if (random() % 2 == 0)
    {
        const size_t newSize = replaceFieldValue(data, size, maxSize, random);
        if (newSize != 0)
            return newSize;
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}
