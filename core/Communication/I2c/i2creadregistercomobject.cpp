#include "i2creadregistercomobject.h"

#include "Communication/commandtelegram.h"
#include "Communication/comobjecthelper.h"
#include "Tools/xmlmapper.h"
#include "i2cregisterformat.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

I2cReadRegisterComObject::I2cReadRegisterComObject(unsigned char slaveAddress, unsigned int registerAddress,
                                                   unsigned int tracePattern, unsigned int addressByteWidth,
                                                   unsigned int valueByteWidth)
    : RegisterComObject(PROTOCOL, 0, 0, IComObject::RequestAndResponse, tracePattern, addressByteWidth,
                        valueByteWidth, registerAddress, 0),
      itsSlaveAddress(slaveAddress)
{
    adjustSizesToWidths();
}

I2cReadRegisterComObject::I2cReadRegisterComObject(const I2cReadRegisterComObject& other) = default;

I2cReadRegisterComObject::~I2cReadRegisterComObject() = default;

unsigned char I2cReadRegisterComObject::i2cSlaveAddress() const
{
    return itsSlaveAddress;
}

IComObject* I2cReadRegisterComObject::clone()
{
    return new I2cReadRegisterComObject(*this);
}

bool I2cReadRegisterComObject::serialize(unsigned char* buffer, unsigned int bufferSize)
{
    return I2cRegisterFormat::serializeReadRequest(buffer, bufferSize, itsSlaveAddress, registerAddress(),
                                                   addressByteWidth());
}

bool I2cReadRegisterComObject::deserialize(unsigned char* data, unsigned int size)
{
    unsigned int value = 0;
    if (data == nullptr || size < deserializeSize() ||
        !ComObjectHelper::deserialize(data, valueByteWidth(), value))
    {
        setValid(false);
        return false;
    }
    setRegisterValue(value);
    return true;
}

bool I2cReadRegisterComObject::xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType)
{
    return CommandTelegram::write(
        this, writer, telegramType, QStringLiteral("I2cReadRegister"),
        [this, writer, telegramType]()
        {
            I2cRegisterFormat::writeRegisterParameters(writer, itsSlaveAddress, *this);
            if (CommandTelegram::isResponse(telegramType))
                CommandTelegram::writeDelivered(writer, QStringLiteral("Data"),
                                                CommandTelegram::hex(registerValue()));
        });
}

bool I2cReadRegisterComObject::xmlDeserialize(QXmlStreamReader* reader)
{
    I2cRegisterFormat::Parameters parameters;
    Tools::XmlMapper mapper;
    // Only a response telegram carries the value.
    I2cRegisterFormat::addRegisterEntries(mapper, parameters, true);
    if (!I2cRegisterFormat::read(reader, mapper, parameters))
        return false;
    itsSlaveAddress = static_cast<unsigned char>(parameters.slaveAddress);
    I2cRegisterFormat::takeOver(parameters, *this);
    return true;
}

void I2cReadRegisterComObject::adjustSizesToWidths()
{
    itsSerializeSize = I2cRegisterFormat::readRequestSize(addressByteWidth());
    itsDeserializeSize = valueByteWidth();
}

} // namespace I2c
} // namespace Communication
} // namespace NoxCore
