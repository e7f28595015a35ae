#include "i2cwriteregistercomobject.h"

#include "Communication/commandtelegram.h"
#include "Tools/noxassert.h"
#include "Tools/xmlmapper.h"
#include "i2cregisterformat.h"

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

namespace
{

const unsigned int VALUE_FIELDS = 1;

} // namespace

I2cWriteRegisterComObject::I2cWriteRegisterComObject(unsigned char slaveAddress, unsigned int registerAddress,
                                                     unsigned int registerValue, unsigned int tracePattern,
                                                     unsigned int addressByteWidth,
                                                     unsigned int valueByteWidth)
    : RegisterComObject(PROTOCOL, 0, 0, IComObject::FireAndForget, tracePattern, addressByteWidth,
                        valueByteWidth, registerAddress, registerValue),
      itsSlaveAddress(slaveAddress)
{
    adjustSizesToWidths();
}

I2cWriteRegisterComObject::I2cWriteRegisterComObject(const I2cWriteRegisterComObject& other) = default;

I2cWriteRegisterComObject::~I2cWriteRegisterComObject() = default;

unsigned char I2cWriteRegisterComObject::i2cSlaveAddress() const
{
    return itsSlaveAddress;
}

IComObject* I2cWriteRegisterComObject::clone()
{
    return new I2cWriteRegisterComObject(*this);
}

bool I2cWriteRegisterComObject::serialize(unsigned char* buffer, unsigned int bufferSize)
{
    return I2cRegisterFormat::serializeWriteRequest(buffer, bufferSize, itsSlaveAddress, *this,
                                                    {registerValue()});
}

bool I2cWriteRegisterComObject::deserialize(unsigned char*, unsigned int)
{
    NOX_ASSERT(false, "WriteRegister has no result. Deserialize not supported.");
    return false;
}

bool I2cWriteRegisterComObject::xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType)
{
    return CommandTelegram::write(
        this, writer, telegramType, QStringLiteral("I2cWriteRegister"),
        [this, writer]()
        {
            I2cRegisterFormat::writeRegisterParameters(writer, itsSlaveAddress, *this);
            CommandTelegram::writeHex(writer, QStringLiteral("Data"), registerValue());
        });
}

bool I2cWriteRegisterComObject::xmlDeserialize(QXmlStreamReader* reader)
{
    I2cRegisterFormat::Parameters parameters;
    Tools::XmlMapper mapper;
    I2cRegisterFormat::addRegisterEntries(mapper, parameters, false);
    if (!I2cRegisterFormat::read(reader, mapper, parameters))
        return false;
    itsSlaveAddress = static_cast<unsigned char>(parameters.slaveAddress);
    I2cRegisterFormat::takeOver(parameters, *this);
    return true;
}

void I2cWriteRegisterComObject::adjustSizesToWidths()
{
    itsSerializeSize =
        I2cRegisterFormat::writeRequestSize(addressByteWidth(), VALUE_FIELDS, valueByteWidth());
}

} // namespace I2c
} // namespace Communication
} // namespace NoxCore
