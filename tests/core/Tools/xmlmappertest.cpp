#include "Tools/xmlmapper.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

using NoxCore::Tools::XmlMapper;
using NoxCore::Tools::XmlMappingEntry;

namespace
{

// Leaves the reader on the start of the first element named name.
void moveTo(QXmlStreamReader& reader, const QString& name)
{
    while (!reader.atEnd() && !(reader.readNext() == QXmlStreamReader::StartElement && reader.name() == name))
    {
    }
}

bool parseElement(XmlMappingEntry& entry, const QString& xml)
{
    QXmlStreamReader reader(xml);
    moveTo(reader, QStringLiteral("V"));
    return entry.tryParse(&reader);
}

} // namespace

// Values with the top bit set (Trace 80000000) used to be replayed as 0: telegrams write them as unsigned
// hexadecimal, and they must read back whole.
TEST(XmlMappingEntry, StoresScalarsTruncatedToTheirWidthAndAboveTheSignedRange)
{
    unsigned char u8 = 0xEE;
    unsigned short u16 = 0xEEEE;
    unsigned int u32 = 0xEEEEEEEE;
    unsigned long long u64 = 0xEE;
    XmlMappingEntry entry8(QStringLiteral("V"), &u8, 16, false);
    XmlMappingEntry entry16(QStringLiteral("V"), &u16, 16, false);
    XmlMappingEntry entry32(QStringLiteral("V"), &u32);
    XmlMappingEntry entry64(QStringLiteral("V"), &u64);
    XmlMappingEntry decimal64(QStringLiteral("V"), &u64, 10, false);
    const auto stored = [](XmlMappingEntry& entry, const char* xml, const auto& target)
    {
        EXPECT_TRUE(parseElement(entry, xml)) << xml;
        return static_cast<unsigned long long>(target);
    };

    EXPECT_EQ(stored(entry8, "<V>1ab</V>", u8), 0xABu);
    EXPECT_EQ(stored(entry16, "<V>12345</V>", u16), 0x2345u);
    EXPECT_EQ(stored(entry32, "<V>80000000</V>", u32), 0x80000000u);
    EXPECT_EQ(stored(entry32, "<V>ffffffff</V>", u32), 0xFFFFFFFFu);
    EXPECT_EQ(stored(entry64, "<V>ffffffffffffffff</V>", u64), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(stored(decimal64, "<V>-1</V>", u64), 0xFFFFFFFFFFFFFFFFull);
}

TEST(XmlMappingEntry, TextThatDoesNotConvertStoresZeroAndIsNotParsed)
{
    unsigned int value = 5;
    XmlMappingEntry entry(QStringLiteral("V"), &value);
    EXPECT_FALSE(parseElement(entry, "<V>xyz</V>"));
    EXPECT_EQ(value, 0u);
    EXPECT_FALSE(entry.isParsed());
    EXPECT_FALSE(parseElement(entry, "<V></V>"));

    // Only a start element can be parsed.
    QXmlStreamReader reader(QStringLiteral("<V>1</V>"));
    reader.readNext();
    EXPECT_FALSE(entry.tryParse(&reader));
    EXPECT_FALSE(entry.tryParse(nullptr));
}

TEST(XmlMappingEntry, ReadsByteArraysPairByPair)
{
    unsigned char buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    unsigned char* bytes = buffer;
    XmlMappingEntry entry(QStringLiteral("V"), &bytes, 4, 16, false);
    const auto content = [&buffer] { return QByteArray(reinterpret_cast<const char*>(buffer), 4).toHex(); };

    EXPECT_TRUE(parseElement(entry, "<V>0a0b0c</V>"));
    EXPECT_EQ(entry.bytesActuallyRead(), 3u);
    EXPECT_EQ(content(), "0a0b0cee");
    // A trailing odd digit is ignored; a pair that does not convert stores 0 and fails the entry.
    EXPECT_FALSE(parseElement(entry, "<V>ffzz017</V>"));
    EXPECT_EQ(entry.bytesActuallyRead(), 3u);
    EXPECT_EQ(content(), "ff0001ee");
    // More than the buffer holds: nothing is stored.
    EXPECT_FALSE(parseElement(entry, "<V>0102030405</V>"));
    EXPECT_EQ(content(), "ff0001ee");

    unsigned char* nowhere = nullptr;
    XmlMappingEntry unbacked(QStringLiteral("V"), &nowhere, 4, 16, false);
    EXPECT_FALSE(parseElement(unbacked, "<V>01</V>"));
}

TEST(XmlMapper, ReadsTheParametersOfACommandElement)
{
    const QString telegram = QStringLiteral("<Telegram Pid=\"61\">\n"
                                            "    <I2cReadRegister>\n"
                                            "        <SlaveAddress>40</SlaveAddress>\n"
                                            "        <Address type=\"u16\">1234</Address>\n"
                                            "        <Data OutProperty=\"True\">0a0b</Data>\n"
                                            "    </I2cReadRegister>\n"
                                            "    <After>1</After>\n"
                                            "</Telegram>");
    unsigned char slaveAddress = 0;
    unsigned short address = 0;
    unsigned int dataSize = 77;
    unsigned char buffer[2] = {};
    unsigned char* data = buffer;
    XmlMapper mapper;
    mapper.addEntry(XmlMappingEntry(QStringLiteral("SlaveAddress"), &slaveAddress));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("Address"), &address));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("Data"), &data, 2, 16, true));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("DataSize"), &dataSize, 16, true));

    QXmlStreamReader reader(telegram);
    moveTo(reader, QStringLiteral("I2cReadRegister"));
    EXPECT_TRUE(mapper.tryParse(&reader));
    EXPECT_EQ(slaveAddress, 0x40);
    EXPECT_EQ(address, 0x1234);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(buffer), 2), QByteArray::fromHex("0a0b"));
    // The missing optional parameter is left alone.
    EXPECT_EQ(dataSize, 77u);
    // The reader stops at the end of the command element.
    EXPECT_TRUE(reader.isEndElement());
    EXPECT_EQ(reader.name(), QStringLiteral("I2cReadRegister"));
}

TEST(XmlMapper, FailsWhenARequiredParameterIsMissingOrUnreadable)
{
    unsigned char first = 0;
    unsigned char second = 0;
    XmlMapper mapper;
    mapper.addEntry(XmlMappingEntry(QStringLiteral("First"), &first));
    mapper.addEntry(XmlMappingEntry(QStringLiteral("Second"), &second));

    QXmlStreamReader missing(QStringLiteral("<Cmd><First>1</First></Cmd>"));
    EXPECT_FALSE(mapper.tryParse(&missing));
    EXPECT_EQ(first, 1);

    // A parameter without entry ends the parse: what follows it is not read.
    XmlMapper strict;
    strict.addEntry(XmlMappingEntry(QStringLiteral("Second"), &second));
    QXmlStreamReader unknownFirst(QStringLiteral("<Cmd><Other>5</Other><Second>2</Second></Cmd>"));
    EXPECT_FALSE(strict.tryParse(&unknownFirst));
    EXPECT_EQ(second, 0);

    EXPECT_FALSE(mapper.tryParse(nullptr));
}
