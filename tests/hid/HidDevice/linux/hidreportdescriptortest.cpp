#include "HidDevice/linux/hidreportdescriptor.h"

#include "support/fakehidrawtree.h"

#include <gtest/gtest.h>

#include <vector>

using NoxHid::HidReportDescriptor;

namespace
{

// Parses from a heap block of exactly the descriptor's size, so that AddressSanitizer catches any read past
// its end.
bool parseExactly(const QByteArray& bytes, HidReportDescriptor* descriptor)
{
    const std::vector<unsigned char> exact(bytes.cbegin(), bytes.cend());
    return descriptor->parse(exact.empty() ? nullptr : exact.data(), exact.size());
}

struct DescriptorCase
{
    const char* name;
    QByteArray bytes;
    bool parses;
    quint16 inputLength;
    quint16 outputLength;
    bool numbered;
};

const QByteArray COLLECTION = QByteArray::fromHex("0600ff0901a101");
const QByteArray END = QByteArray::fromHex("c0");

} // namespace

TEST(HidReportDescriptor, CountsTheLargestReportOfEachDirectionPlusTheReportIdByteAndForgetsFailedParses)
{
    const DescriptorCase cases[] = {
        {"board, 64-byte unnumbered reports", vendorReportDescriptor(64, 64), true, 65, 65, false},
        {"numbered reports", vendorReportDescriptor(8, 8, 1), true, 9, 9, true},
        {"largest of two numbered input reports",
         COLLECTION + QByteArray::fromHex("8501750895088102850275089520810295019102") + END, true, 33, 2,
         true},
        {"pop without push", QByteArray::fromHex("b4"), false, 0, 0, false},
        {"bits rounded up to bytes", COLLECTION + QByteArray::fromHex("750c95038102750195019102") + END, true,
         6, 2, false},
        {"pop restores the report size",
         COLLECTION + QByteArray::fromHex("7508a4751095018102b4950281029102") + END, true, 5, 3, false},
        {"long item skipped", QByteArray::fromHex("fe0201aabb7508950481029102"), true, 5, 5, false},
        {"four-byte value", QByteArray::fromHex("7708000000950281029102"), true, 3, 3, false},
        {"input only", vendorReportDescriptor(64, 0), true, 65, 0, false},
        {"empty", QByteArray(), false, 0, 0, false},
        {"value cut off", QByteArray::fromHex("750896"), false, 0, 0, false},
        {"long item cut off", QByteArray::fromHex("fe0501aabb"), false, 0, 0, false},
        {"long item header cut off", QByteArray::fromHex("fe05"), false, 0, 0, false},
        {"pushes deeper than the kernel allows", QByteArray::fromHex("a4a4a4a4a4"), false, 0, 0, false},
        {"report id 0", QByteArray::fromHex("8500750895018102"), false, 0, 0, false},
        {"report id past 255", QByteArray::fromHex("860001750895018102"), false, 0, 0, false},
        {"report too long for 16 bits", QByteArray::fromHex("77ffffffff97ffffffff8102"), false, 0, 0, false},
        {"reports adding up past 16 bits", QByteArray::fromHex("750896ff7f8102810281028102"), false, 0, 0,
         false},
        {"longer than the kernel allows", vendorReportDescriptor(64, 64).leftJustified(4097, '\0'), false, 0,
         0, false},
    };
    // One descriptor for every row: a parse, failed or not, keeps nothing of the one before.
    HidReportDescriptor descriptor;
    for (const DescriptorCase& testCase : cases)
    {
        SCOPED_TRACE(testCase.name);
        EXPECT_EQ(parseExactly(testCase.bytes, &descriptor), testCase.parses);
        EXPECT_EQ(descriptor.inputReportLength(), testCase.inputLength);
        EXPECT_EQ(descriptor.outputReportLength(), testCase.outputLength);
        EXPECT_EQ(descriptor.numbersReports(), testCase.numbered);
    }
}
