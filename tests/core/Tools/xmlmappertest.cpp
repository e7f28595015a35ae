#include "Tools/xmlmapper.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

using NoxCore::Tools::XmlMapper;
using NoxCore::Tools::XmlMappingEntry;

namespace
{

bool parseElement(XmlMappingEntry& entry, const QString& xml)
{
    QXmlStreamReader reader(xml);
    reader.readNextStartElement();
    return entry.tryParse(&reader);
}

} // namespace

// Values with the top bit set (Trace 80000000) used to be replayed as 0: telegrams write them as unsigned
// hexadecimal, and they must read back whole.
TEST(XmlMappingEntry, StoresScalarsTruncatedToTheirWidthAndAboveTheSignedRangeOrZero)
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

    // Text that does not convert stores zero and takes back what an earlier parse gave.
    EXPECT_FALSE(parseElement(entry32, "<V>xyz</V>"));
    EXPECT_EQ(u32, 0u);
    EXPECT_FALSE(entry32.isParsed());
    EXPECT_FALSE(parseElement(entry32, "<V></V>"));
    // Only a start element can be parsed.
    QXmlStreamReader reader(QStringLiteral("<V>1</V>"));
    reader.readNext();
    EXPECT_FALSE(entry32.tryParse(&reader));
    EXPECT_FALSE(entry32.tryParse(nullptr));
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

// The reader stands on the command element, as a com object's xmlDeserialize gets it.
TEST(XmlMapper, TakesEveryRequiredParameterOfTheCommandElementAndStopsAtItsEnd)
{
    const struct
    {
        const char* xml;
        bool parsed;
        unsigned char first;
        unsigned char second;
    } cases[] = {
        {"<Cmd>\n    <First>1</First>\n    <Second type=\"u8\">2</Second>\n</Cmd><After>3</After>", true, 1,
         2},
        {"<Cmd><First>1</First></Cmd>", false, 1, 0},
        // A parameter without entry ends the parse: what follows it is not read.
        {"<Cmd><First>1</First><Other>5</Other><Second>2</Second></Cmd>", false, 1, 0},
    };
    for (const auto& testCase : cases)
    {
        unsigned char first = 0;
        unsigned char second = 0;
        unsigned int optional = 77;
        XmlMapper mapper;
        mapper.addEntry(XmlMappingEntry(QStringLiteral("First"), &first));
        mapper.addEntry(XmlMappingEntry(QStringLiteral("Second"), &second));
        mapper.addEntry(XmlMappingEntry(QStringLiteral("Optional"), &optional, 16, true));
        QXmlStreamReader reader(QString::fromLatin1(testCase.xml));
        reader.readNextStartElement();
        EXPECT_EQ(mapper.tryParse(&reader), testCase.parsed) << testCase.xml;
        EXPECT_EQ(first, testCase.first);
        EXPECT_EQ(second, testCase.second);
        EXPECT_EQ(optional, 77u) << "a missing optional parameter is left alone";
        EXPECT_TRUE(!testCase.parsed || (reader.isEndElement() && reader.name() == QStringLiteral("Cmd")));
    }
    EXPECT_FALSE(XmlMapper().tryParse(nullptr));
}
