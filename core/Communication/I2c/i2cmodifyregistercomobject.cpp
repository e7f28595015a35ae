#include "i2cmodifyregistercomobject.h"

#include "Communication/commandtelegram.h"
#include "Communication/comobjecthelper.h"
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

// The value and the mask.
const unsigned int VALUE_FIELDS = 2;

} // namespace

I2cModifyRegisterComObject::I2cModifyRegisterComObject(
    unsigned char slaveAddress, unsigned int registerAddress, unsigned int registerValue, unsigned int mask,
    unsigned int tracePattern, unsigned int addressByteWidth, unsigned int valueByteWidth)
    : ModifyRegisterComObject(PROTOCOL, 0, 0, IComObject::FireAndForget, tracePattern, addressByteWidth,
                              valueByteWidth, registerAddress, registerValue, mask),
      itsSlaveAddress(slaveAddress)
{
    adjustSizesToWidths();
}

I2cModifyRegisterComObject::I2cModifyRegisterComObject(const I2cModifyRegisterComObject& other) = default;

I2cModifyRegisterComObject::~I2cModifyRegisterComObject() = default;

unsigned char I2cModifyRegisterComObject::i2cSlaveAddress() const
{
    return itsSlaveAddress;
}

IComObject* I2cModifyRegisterComObject::clone()
{
    return new I2cModifyRegisterComObject(*this);
}

bool I2cModifyRegisterComObject::serialize(unsigned char* buffer, unsigned int bufferSize)
{
    return I2cRegisterFormat::serializeWriteRequest(buffer, bufferSize, itsSlaveAddress, *this,
                                                    {registerValue(), mask()});
}

bool I2cModifyRegisterComObject::deserialize(unsigned char*, unsigned int)
{
    NOX_ASSERT(false, "I2cModifyRegisterComObject has no result. Deserialize not supported.");
    return false;
}

bool I2cModifyRegisterComObject::xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType)
{
    return CommandTelegram::write(
        this, writer, telegramType, QStringLiteral("I2cModifyRegister"),
        [this, writer]()
        {
            I2cRegisterFormat::writeRegisterParameters(writer, itsSlaveAddress, *this);
            CommandTelegram::writeHex(writer, QStringLiteral("Data"), registerValue());
            CommandTelegram::writeHex(writer, QStringLiteral("Mask"), mask());
        });
}

bool I2cModifyRegisterComObject::xmlDeserialize(QXmlStreamReader* reader)
{
    I2cRegisterFormat::Parameters parameters;
    unsigned int mask = 0;
    Tools::XmlMapper mapper;
    I2cRegisterFormat::addRegisterEntries(mapper, parameters, false);
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("Mask"), &mask));
    if (!I2cRegisterFormat::read(reader, mapper, parameters) ||
        !ComObjectHelper::fitsWidth(mask, parameters.valueByteWidth))
        return false;
    itsSlaveAddress = static_cast<unsigned char>(parameters.slaveAddress);
    I2cRegisterFormat::takeOver(parameters, *this);
    setMask(mask);
    return true;
}

void I2cModifyRegisterComObject::adjustSizesToWidths()
{
    itsSerializeSize =
        I2cRegisterFormat::writeRequestSize(addressByteWidth(), VALUE_FIELDS, valueByteWidth());
}

} // namespace I2c
} // namespace Communication
} // namespace NoxCore
