#include "i2cregisterformat.h"

#include "Communication/commandtelegram.h"
#include "Communication/comobjecthelper.h"
#include "Communication/iregistercomobject.h"
#include "Tools/xmlmapper.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

namespace
{

const unsigned int SLAVE_BYTE_SIZE = 1;
const unsigned int SLAVE_ADDRESS_LIMIT = 0x7F;
const char* const VALUE_PARAMETER = "Data";
const char* const VALUE_WIDTH_PARAMETER = "DataSize";

unsigned char writePhaseByte(unsigned char slaveAddress)
{
    return static_cast<unsigned char>(slaveAddress << 1);
}

unsigned char readPhaseByte(unsigned char slaveAddress)
{
    return static_cast<unsigned char>(writePhaseByte(slaveAddress) | 1);
}

} // namespace

unsigned int I2cRegisterFormat::readRequestSize(unsigned int addressByteWidth)
{
    return SLAVE_BYTE_SIZE + addressByteWidth + SLAVE_BYTE_SIZE;
}

unsigned int I2cRegisterFormat::writeRequestSize(unsigned int addressByteWidth, unsigned int fieldCount,
                                                 unsigned int fieldByteWidth)
{
    return SLAVE_BYTE_SIZE + addressByteWidth + fieldCount * fieldByteWidth;
}

bool I2cRegisterFormat::serializeReadRequest(unsigned char* buffer, unsigned int bufferSize,
                                             unsigned char slaveAddress, unsigned int registerAddress,
                                             unsigned int addressByteWidth)
{
    // The width is checked first: an unpackable one would also make the size wrap and pass the length check.
    if (buffer == nullptr || !ComObjectHelper::isPackableWidth(addressByteWidth) ||
        bufferSize < readRequestSize(addressByteWidth))
        return false;
    buffer[0] = writePhaseByte(slaveAddress);
    buffer[SLAVE_BYTE_SIZE + addressByteWidth] = readPhaseByte(slaveAddress);
    return ComObjectHelper::serialize(buffer + SLAVE_BYTE_SIZE, addressByteWidth, registerAddress);
}

bool I2cRegisterFormat::serializeWriteRequest(unsigned char* buffer, unsigned int bufferSize,
                                              unsigned char slaveAddress, const IRegisterComObject& object,
                                              std::initializer_list<unsigned int> fields)
{
    const unsigned int addressByteWidth = object.addressByteWidth();
    const unsigned int fieldByteWidth = object.valueByteWidth();
    if (buffer == nullptr || !ComObjectHelper::isPackableWidth(addressByteWidth) ||
        !ComObjectHelper::isPackableWidth(fieldByteWidth) ||
        bufferSize < writeRequestSize(addressByteWidth, unsigned(fields.size()), fieldByteWidth))
        return false;
    buffer[0] = writePhaseByte(slaveAddress);
    bool packed =
        ComObjectHelper::serialize(buffer + SLAVE_BYTE_SIZE, addressByteWidth, object.registerAddress());
    unsigned char* field = buffer + SLAVE_BYTE_SIZE + addressByteWidth;
    for (const unsigned int value : fields)
    {
        packed = packed && ComObjectHelper::serialize(field, fieldByteWidth, value);
        field += fieldByteWidth;
    }
    return packed;
}

void I2cRegisterFormat::writeAddressParameters(QXmlStreamWriter* writer, unsigned char slaveAddress,
                                               unsigned int addressByteWidth, unsigned int registerAddress)
{
    CommandTelegram::writeHex(writer, QStringLiteral("SlaveAddress"), slaveAddress);
    CommandTelegram::writeHex(writer, QStringLiteral("AddressSize"), addressByteWidth);
    CommandTelegram::writeHex(writer, QStringLiteral("Address"), registerAddress);
}

void I2cRegisterFormat::writeRegisterParameters(QXmlStreamWriter* writer, unsigned char slaveAddress,
                                                const IRegisterComObject& object)
{
    writeAddressParameters(writer, slaveAddress, object.addressByteWidth(), object.registerAddress());
    CommandTelegram::writeHex(writer, QStringLiteral("DataSize"), object.valueByteWidth());
}

void I2cRegisterFormat::addAddressEntries(Tools::XmlMapper& mapper, Parameters& parameters)
{
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("SlaveAddress"), &parameters.slaveAddress));
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("AddressSize"), &parameters.addressByteWidth));
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("Address"), &parameters.registerAddress));
}

void I2cRegisterFormat::addRegisterEntries(Tools::XmlMapper& mapper, Parameters& parameters,
                                           bool valueIsOptional)
{
    addAddressEntries(mapper, parameters);
    mapper.addEntry(Tools::XmlMappingEntry(QLatin1String(VALUE_WIDTH_PARAMETER), &parameters.valueByteWidth));
    mapper.addEntry(Tools::XmlMappingEntry(QLatin1String(VALUE_PARAMETER), &parameters.value,
                                           CommandTelegram::HEX_BASE, valueIsOptional));
}

bool I2cRegisterFormat::read(QXmlStreamReader* reader, Tools::XmlMapper& mapper, Parameters& parameters)
{
    if (!CommandTelegram::read(reader, mapper))
        return false;
    const Tools::XmlMappingEntry* value = mapper.findEntry(QLatin1String(VALUE_PARAMETER));
    parameters.hasValue = value != nullptr && value->isParsed();
    // A telegram comes from a file anyone can edit: a width the packer has no form for would send the
    // request size round the clock, and a value wider than its field would reach the sensor cut short.
    if (parameters.slaveAddress > SLAVE_ADDRESS_LIMIT ||
        !ComObjectHelper::fitsWidth(parameters.registerAddress, parameters.addressByteWidth))
        return false;
    if (mapper.findEntry(QLatin1String(VALUE_WIDTH_PARAMETER)) == nullptr)
        return true;
    return ComObjectHelper::isPackableWidth(parameters.valueByteWidth) &&
           (!parameters.hasValue || ComObjectHelper::fitsWidth(parameters.value, parameters.valueByteWidth));
}

void I2cRegisterFormat::takeOver(const Parameters& parameters, IRegisterComObject& object)
{
    object.setAddressByteWidth(parameters.addressByteWidth);
    object.setValueByteWidth(parameters.valueByteWidth);
    object.setRegisterAddress(parameters.registerAddress);
    if (parameters.hasValue)
        object.setRegisterValue(parameters.value);
}

} // namespace I2c
} // namespace Communication
} // namespace NoxCore
