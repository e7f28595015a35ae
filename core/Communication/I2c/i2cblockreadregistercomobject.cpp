#include "i2cblockreadregistercomobject.h"

#include "Communication/commandtelegram.h"
#include "Communication/frameformat.h"
#include "Tools/noxassert.h"
#include "Tools/xmlmapper.h"
#include "i2cregisterformat.h"

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>
#include <cstddef>

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

I2cBlockReadRegisterComObject::I2cBlockReadRegisterComObject(
    unsigned char slaveAddress, unsigned int startAddress, unsigned int dataSize, const unsigned char* data,
    unsigned int blockSize, unsigned int addressByteWidth, unsigned int maxDataSize,
    unsigned int tracePattern)
    : SerializableComObject(PROTOCOL, I2cRegisterFormat::readRequestSize(addressByteWidth), dataSize,
                            IComObject::RequestAndResponse, tracePattern),
      itsSlaveAddress(slaveAddress), itsAddressByteWidth(addressByteWidth), itsDataSize(dataSize),
      itsBlockSize(blockSize), itsMaxDataSize(maxDataSize), itsStartAddress(startAddress),
      itsData(maxDataSize)
{
    NOX_ASSERT(itsDataSize <= itsMaxDataSize, "BlockSize must be lower or equal than MaxBlockSize.");
    if (data != nullptr)
        setData(data);
}

I2cBlockReadRegisterComObject::I2cBlockReadRegisterComObject(const I2cBlockReadRegisterComObject& other) =
    default;

I2cBlockReadRegisterComObject::~I2cBlockReadRegisterComObject() = default;

unsigned char I2cBlockReadRegisterComObject::i2cSlaveAddress() const
{
    return itsSlaveAddress;
}

unsigned int I2cBlockReadRegisterComObject::maxDataSize() const
{
    return itsMaxDataSize;
}

const unsigned char* I2cBlockReadRegisterComObject::data() const
{
    return itsData.data();
}

unsigned int I2cBlockReadRegisterComObject::dataSize() const
{
    return itsDataSize;
}

void I2cBlockReadRegisterComObject::setDataSize(unsigned int size)
{
    if (size == itsDataSize)
        return;
    itsDataSize = qMin(size, itsMaxDataSize);
    itsDeserializeSize = itsDataSize;
    itsSerializeSize = I2cRegisterFormat::readRequestSize(itsAddressByteWidth);
}

void I2cBlockReadRegisterComObject::setData(const unsigned char* data)
{
    NOX_ASSERT(data != NULL, "data is Null!");
    std::copy_n(data, itsDataSize, itsData.begin());
}

void I2cBlockReadRegisterComObject::setData(const unsigned char* data, unsigned int size)
{
    setDataSize(size);
    setData(data);
}

unsigned int I2cBlockReadRegisterComObject::blockSize() const
{
    return itsBlockSize;
}

void I2cBlockReadRegisterComObject::setBlockSize(unsigned int size)
{
    itsBlockSize = size;
}

unsigned int I2cBlockReadRegisterComObject::startAddress() const
{
    return itsStartAddress;
}

void I2cBlockReadRegisterComObject::setStartAddress(unsigned int address)
{
    itsStartAddress = address;
}

unsigned int I2cBlockReadRegisterComObject::addressByteWidth() const
{
    return itsAddressByteWidth;
}

void I2cBlockReadRegisterComObject::setAddressByteWidth(unsigned int width)
{
    itsAddressByteWidth = width;
    // The request carries the address; a stale size would cut it short or send bytes behind it.
    itsSerializeSize = I2cRegisterFormat::readRequestSize(itsAddressByteWidth);
}

IComObject* I2cBlockReadRegisterComObject::clone()
{
    return new I2cBlockReadRegisterComObject(*this);
}

bool I2cBlockReadRegisterComObject::serialize(unsigned char* buffer, unsigned int bufferSize)
{
    return I2cRegisterFormat::serializeReadRequest(buffer, bufferSize, itsSlaveAddress, itsStartAddress,
                                                   itsAddressByteWidth);
}

bool I2cBlockReadRegisterComObject::deserialize(unsigned char* data, unsigned int size)
{
    if (data == nullptr || size != itsDataSize)
    {
        setValid(false);
        return false;
    }
    setData(data);
    return true;
}

bool I2cBlockReadRegisterComObject::xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType)
{
    return CommandTelegram::write(
        this, writer, telegramType, QStringLiteral("I2cBlockRegister"),
        [this, writer, telegramType]()
        {
            I2cRegisterFormat::writeAddressParameters(writer, itsSlaveAddress, itsAddressByteWidth,
                                                      itsStartAddress);
            CommandTelegram::writeHex(writer, QStringLiteral("MaxBlockSize"), itsMaxDataSize);
            CommandTelegram::writeHex(writer, QStringLiteral("BlockSize"), itsDataSize);
            if (CommandTelegram::isResponse(telegramType))
            {
                const QByteArray bytes =
                    QByteArray::fromRawData(reinterpret_cast<const char*>(itsData.data()), int(itsDataSize));
                CommandTelegram::writeDelivered(writer, QStringLiteral("Data"),
                                                QString::fromLatin1(bytes.toHex()));
            }
        });
}

bool I2cBlockReadRegisterComObject::xmlDeserialize(QXmlStreamReader* reader)
{
    I2cRegisterFormat::Parameters addressing;
    unsigned int maxDataSize = 0;
    unsigned int dataSize = 0;
    // A block travels in one frame, so a telegram never holds more; a larger figure is refused before
    // anything is allocated for it.
    std::vector<unsigned char> bytes(FRAME_PAYLOAD_CAPACITY);
    unsigned char* bytesTarget = bytes.data();
    Tools::XmlMapper mapper;
    I2cRegisterFormat::addAddressEntries(mapper, addressing);
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("MaxBlockSize"), &maxDataSize));
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("BlockSize"), &dataSize));
    // Only a response telegram carries the data.
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("Data"), &bytesTarget, FRAME_PAYLOAD_CAPACITY,
                                           CommandTelegram::HEX_BASE, true));
    if (!I2cRegisterFormat::read(reader, mapper, addressing) || maxDataSize > FRAME_PAYLOAD_CAPACITY ||
        dataSize > maxDataSize)
        return false;
    const Tools::XmlMappingEntry* data = mapper.findEntry(QStringLiteral("Data"));
    if (data->isParsed() && data->bytesActuallyRead() != dataSize)
        return false;
    itsSlaveAddress = static_cast<unsigned char>(addressing.slaveAddress);
    setAddressByteWidth(addressing.addressByteWidth);
    itsStartAddress = addressing.registerAddress;
    itsMaxDataSize = maxDataSize;
    itsData.resize(maxDataSize);
    setDataSize(dataSize);
    if (data->isParsed())
        setData(bytes.data());
    return true;
}

} // namespace I2c
} // namespace Communication
} // namespace NoxCore
