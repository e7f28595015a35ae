#include "firmwarenumbercomobject.h"

#include "Communication/commandtelegram.h"
#include "Tools/xmlmapper.h"

namespace NoxCore
{
namespace Communication
{
namespace Control
{

namespace
{

const unsigned int MAJOR_SHIFT = 16;
const unsigned int MINOR_SHIFT = 8;
const unsigned int PART_MASK = 0xFF;
const unsigned int MAJOR_OFFSET = 0;
const unsigned int MINOR_OFFSET = 1;
const unsigned int MARKER_OFFSET = 2;
const char* const PART_NAMES[] = {"Major", "Minor", "Marker"};
const int PART_COUNT = 3;

unsigned int firmwareNumber(unsigned int major, unsigned int minor, unsigned int marker)
{
    return (major << MAJOR_SHIFT) | (minor << MINOR_SHIFT) | marker;
}

} // namespace

FirmwareNumberComObject::FirmwareNumberComObject(unsigned int tracePattern)
    : SerializableComObject(PROTOCOL, 0, ANSWER_SIZE, IComObject::RequestAndResponse, tracePattern),
      itsNumber(0)
{
}

FirmwareNumberComObject::FirmwareNumberComObject(const FirmwareNumberComObject& other) = default;

FirmwareNumberComObject::~FirmwareNumberComObject() = default;

unsigned int FirmwareNumberComObject::get() const
{
    return itsNumber;
}

IComObject* FirmwareNumberComObject::clone()
{
    return new FirmwareNumberComObject(*this);
}

bool FirmwareNumberComObject::serialize(unsigned char*, unsigned int bufferSize)
{
    return bufferSize >= serializeSize();
}

bool FirmwareNumberComObject::deserialize(unsigned char* data, unsigned int size)
{
    itsNumber = 0;
    if (data == nullptr || size < ANSWER_SIZE)
    {
        setValid(false);
        return false;
    }
    itsNumber = firmwareNumber(data[MAJOR_OFFSET], data[MINOR_OFFSET], data[MARKER_OFFSET]);
    return true;
}

bool FirmwareNumberComObject::xmlSerialize(QXmlStreamWriter* writer, unsigned int telegramType)
{
    return CommandTelegram::write(this, writer, telegramType, QStringLiteral("FirmwareNumber"),
                                  [this, writer, telegramType]()
                                  {
                                      if (!CommandTelegram::isResponse(telegramType))
                                          return;
                                      const auto writePart = [writer](const char* name, unsigned int part) {
                                          CommandTelegram::writeDelivered(
                                              writer, QLatin1String(name),
                                              CommandTelegram::hex(part & PART_MASK));
                                      };
                                      writePart(PART_NAMES[0], itsNumber >> MAJOR_SHIFT);
                                      writePart(PART_NAMES[1], itsNumber >> MINOR_SHIFT);
                                      writePart(PART_NAMES[2], itsNumber);
                                  });
}

bool FirmwareNumberComObject::xmlDeserialize(QXmlStreamReader* reader)
{
    unsigned char major = 0;
    unsigned char minor = 0;
    unsigned char marker = 0;
    Tools::XmlMapper mapper;
    unsigned char* const parts[PART_COUNT] = {&major, &minor, &marker};
    for (int index = 0; index < PART_COUNT; ++index)
        mapper.addEntry(Tools::XmlMappingEntry(QLatin1String(PART_NAMES[index]), parts[index],
                                               CommandTelegram::HEX_BASE, true));
    if (!CommandTelegram::read(reader, mapper))
        return false;
    int partsRead = 0;
    for (const char* name : PART_NAMES)
        partsRead += int(mapper.findEntry(QLatin1String(name))->isParsed());
    // A number is whole or missing; part of one would name a different firmware.
    if (partsRead == 0)
        return true;
    if (partsRead != PART_COUNT)
        return false;
    itsNumber = firmwareNumber(major, minor, marker);
    return true;
}

} // namespace Control
} // namespace Communication
} // namespace NoxCore
