// Telegram XML read through an XmlMapper with an entry of every kind a com object uses: scalars of each
// width in both bases, and a byte array with a small buffer.

#include "Tools/xmlmapper.h"

#include <QXmlStreamReader>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using NoxCore::Tools::XmlMapper;
using NoxCore::Tools::XmlMappingEntry;

namespace
{

const unsigned int DATA_CAPACITY = 8;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    unsigned char slaveAddress = 0;
    unsigned short address = 0;
    unsigned int value = 0;
    unsigned int blockSize = 0;
    unsigned long long trace = 0;
    unsigned char buffer[DATA_CAPACITY] = {};
    unsigned char* bytes = buffer;
    XmlMapper mapper;
    mapper.addEntry(XmlMappingEntry(QStringLiteral("SlaveAddress"), &slaveAddress));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("Address"), &address));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("Value"), &value));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("BlockSize"), &blockSize, 10, true));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("Trace"), &trace, 10, true));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("Data"), &bytes, DATA_CAPACITY, 16, true));

    QXmlStreamReader reader(QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size)));
    // Every command element of the text in turn; each call moves the reader on by at least one token.
    while (!reader.atEnd())
        mapper.tryParse(&reader);
    if (mapper.findEntry(QStringLiteral("Data"))->bytesActuallyRead() > DATA_CAPACITY)
        std::abort();
    return 0;
}
