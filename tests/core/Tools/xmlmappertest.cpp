#include "Tools/xmlmapper.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

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
