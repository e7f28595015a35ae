#include "i2cconfigcomobject.h"

#include "Communication/commandtelegram.h"
#include "Communication/comobjecthelper.h"
#include "Tools/noxassert.h"
#include "Tools/xmlmapper.h"

#include <cstddef>

namespace NoxCore
{
namespace Communication
{
namespace I2c
{

namespace
{

const unsigned char FIRST_MODULE = 1;
const unsigned char SECOND_MODULE = 2;
// The target addresses its registers with one byte; the field exists for other chips.
const unsigned char ADDRESS_SIZE = 1;
const unsigned int MODULE_OFFSET = 0;
const unsigned int ADDRESS_SIZE_OFFSET = 1;
const unsigned int CLOCK_MODE_OFFSET = 2;
const unsigned int CLOCK_SPEED_OFFSET = 3;
const unsigned int CLOCK_SPEED_SIZE = 4;

} // namespace

I2cConfigComObject::I2cConfigComObject(unsigned char module, unsigned char clockMode,
                                       unsigned int customClockSpeed, unsigned int tracePattern)
    : SerializableComObject(PROTOCOL, REQUEST_SIZE, 0, IComObject::FireAndForget, tracePattern),
      itsModule(supportedModule(module)), itsClockMode(clockMode), itsCustomClockSpeed(customClockSpeed)
{
}

I2cConfigComObject::I2cConfigComObject(const I2cConfigComObject& other) = default;

I2cConfigComObject::~I2cConfigComObject() = default;

QString I2cConfigComObject::clockModeToFrequency(unsigned char clockMode)
{
    switch (clockMode)
    {
    case CLOCK_100KHZ:
        return QStringLiteral("100KHz");
    case CLOCK_400KHZ:
        return QStringLiteral("400KHz");
    case CLOCK_1MHZ:
        return QStringLiteral("1MHz");
    case CLOCK_3_4MHZ:
        return QStringLiteral("3.4MHz");
    case CLOCK_CUSTOM:
        return QStringLiteral("custom speed");
    default:
        return QStringLiteral("unknown");
    }
}

unsigned char I2cConfigComObject::module() const
{
    return itsModule;
}

unsigned char I2cConfigComObject::clockMode() const
{
    return itsClockMode;
}

unsigned int I2cConfigComObject::customClockSpeed() const
{
    return itsCustomClockSpeed;
}

IComObject* I2cConfigComObject::clone()
{
    return new I2cConfigComObject(*this);
}

bool I2cConfigComObject::serialize(unsigned char* buffer, unsigned int bufferSize)
{
    NOX_ASSERT(buffer != NULL, "buffer is Null!");
    if (bufferSize < serializeSize())
        return false;
    buffer[MODULE_OFFSET] = itsModule;
    buffer[ADDRESS_SIZE_OFFSET] = ADDRESS_SIZE;
    buffer[CLOCK_MODE_OFFSET] = itsClockMode;
    return ComObjectHelper::serialize(buffer + CLOCK_SPEED_OFFSET, CLOCK_SPEED_SIZE, itsCustomClockSpeed);
}

bool I2cConfigComObject::deserialize(unsigned char*, unsigned int)
{
    NOX_ASSERT(false, "I2cConfigComObject has no result. Deserialize not supported.");
    return false;
}

bool I2cConfigComObject::xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType)
{
    return CommandTelegram::write(
        this, writer, telegramType, QStringLiteral("I2cConfig"),
        [this, writer]()
        {
            CommandTelegram::writeHex(writer, QStringLiteral("Module"), itsModule);
            CommandTelegram::writeHex(writer, QStringLiteral("AddressSize"), ADDRESS_SIZE);
            CommandTelegram::writeHex(writer, QStringLiteral("ClockMode"), itsClockMode);
            CommandTelegram::writeHex(writer, QStringLiteral("CustomClockSpeed"), itsCustomClockSpeed);
        });
}

bool I2cConfigComObject::xmlDeserialize(QXmlStreamReader* reader)
{
    unsigned char module = 0;
    unsigned char addressSize = 0;
    unsigned char clockMode = 0;
    unsigned int customClockSpeed = 0;
    Tools::XmlMapper mapper;
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("Module"), &module));
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("AddressSize"), &addressSize));
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("ClockMode"), &clockMode));
    mapper.addEntry(Tools::XmlMappingEntry(QStringLiteral("CustomClockSpeed"), &customClockSpeed));
    if (!CommandTelegram::read(reader, mapper) || addressSize != ADDRESS_SIZE)
        return false;
    itsModule = supportedModule(module);
    itsClockMode = clockMode;
    itsCustomClockSpeed = customClockSpeed;
    return true;
}

unsigned char I2cConfigComObject::supportedModule(unsigned char module)
{
    return module == SECOND_MODULE ? SECOND_MODULE : FIRST_MODULE;
}

} // namespace I2c
} // namespace Communication
} // namespace NoxCore
