#include "comobjectprobe.h"

#include "Communication/I2c/i2cblockreadregistercomobject.h"
#include "Communication/I2c/i2ccomobjectprovider.h"
#include "Communication/registerinfostd.h"
#include "Communication/registervalue.h"

#include <gtest/gtest.h>

#include <vector>

using namespace NoxCore::Communication;
using NoxCore::Communication::I2c::I2cBlockReadRegisterComObject;
using NoxCore::Communication::I2c::I2cComObjectProvider;

namespace
{

const unsigned char SLAVE = 0x29;

class RegisterModelTest : public ::testing::Test
{
protected:
    RegisterModelTest() { provider.setConfiguration(SLAVE); }
    ~RegisterModelTest() override { qDeleteAll(queue); }

    I2cComObjectProvider provider;
    QQueue<IComObject*> queue;
};

} // namespace

// Fault: a key of only the low address bytes made registers 0x0010 and 0x0110 equal, so observers of one
// were told about the other.
TEST(RegisterInfoStd, RegistersOfTheSameLowAddressByteDiffer)
{
    const RegisterInfoStd low(0x0010, 16, 8, 0xFF);
    const RegisterInfoStd high(0x0110, 16, 8, 0xFF);
    EXPECT_FALSE(low.equals(&high));
    EXPECT_TRUE(low < &high);
    EXPECT_FALSE(high < &low);
}

// Fault: the provider's objects kept one-byte widths, so a 16-bit register was read as its first byte and
// written as its low byte. The one-byte layouts are pinned with the I2C objects.
TEST_F(RegisterModelTest, SingleRegisterRequestsCarryTheRegistersWidthsAndTraceAndShortAnswersAreNotValid)
{
    const RegisterValue mask(0x0F, 0);
    RegisterInfoStd info(0x0102, 16, 12, 0xFFF);
    info.setTracePattern(0x00100000);
    RegisterValue value(0x0ABC, 0);
    info.processReadRegisterRequest(&queue, &value, &provider);
    info.processWriteRegisterRequest(&queue, &value, &provider);
    info.processModifyRegisterRequest(&queue, &value, &mask, &provider);
    ASSERT_EQ(queue.count(), 3);
    EXPECT_EQ(requestOf(queue[0]).toHex(), "52010253");
    EXPECT_EQ(requestOf(queue[1]).toHex(), "5201020abc");
    EXPECT_EQ(requestOf(queue[2]).toHex(), "5201020abc000f");
    // Only reads take the register's own trace pattern.
    EXPECT_EQ(queue[0]->tracePattern(), 0x00100000u);
    EXPECT_EQ(queue[1]->tracePattern(), I2cComObjectProvider::TRACE_PATTERN);
    EXPECT_EQ(queue[2]->tracePattern(), I2cComObjectProvider::TRACE_PATTERN);

    answer(queue[0], QByteArray::fromHex("0123"), 2);
    info.processReadRegisterResponse(&queue, &value);
    EXPECT_EQ(value.value(), 0x0123u);
    EXPECT_EQ(value.state(), 2);
    info.processWriteRegisterResponse(&queue, &value);
    info.processModifyRegisterResponse(&queue, &value, &mask);
    EXPECT_TRUE(queue.isEmpty());

    // Fault: an answer shorter than the value left status 0 behind, so the stale value passed as a good one.
    QList<IRegisterValue*> values = {&value};
    info.processReadRegisterRequest(&queue, &value, &provider);
    info.processBlockReadRegisterRequest(&queue, &values, &provider);
    for (IComObject* object : qAsConst(queue))
        answer(object, QByteArray::fromHex("01"));
    info.processReadRegisterResponse(&queue, &value);
    EXPECT_NE(value.state(), 0);
    value.setState(0);
    info.processBlockReadRegisterResponse(&queue, &values);
    EXPECT_NE(value.state(), 0);
}

// Fault: a run of registers longer than one block object holds was cut to the object's size, and the
// response then stopped the program on the size mismatch.
TEST_F(RegisterModelTest, BlockReadsSplitLongRunsOverSeveralObjectsIntoBigEndianValues)
{
    // 12 bits travel in two bytes each.
    RegisterInfoStd info(0x0000, 16, 12, 0xFFF);
    info.setTracePattern(0x40);
    const int valueCount = 600; // 1200 bytes, more than one frame carries
    std::vector<RegisterValue> storage(valueCount);
    QList<IRegisterValue*> values;
    for (RegisterValue& value : storage)
        values.append(&value);
    info.processBlockReadRegisterRequest(&queue, &values, &provider);
    ASSERT_EQ(queue.count(), 2);
    // The sizes of the two objects show in the values below, which come from answers of those sizes.
    const auto* second = dynamic_cast<I2cBlockReadRegisterComObject*>(queue[1]);
    EXPECT_EQ(second->tracePattern(), 0x40u);
    EXPECT_EQ(second->startAddress(), 544u);

    for (IComObject* object : qAsConst(queue))
    {
        const auto* block = dynamic_cast<I2cBlockReadRegisterComObject*>(object);
        QByteArray payload;
        for (unsigned int index = 0; index < block->dataSize() / 2; ++index)
            payload.append(char(0x02)).append(char(index));
        answer(object, payload, 4);
    }
    info.processBlockReadRegisterResponse(&queue, &values);
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(storage[543].value(), 0x021Fu);
    EXPECT_EQ(storage[544].value(), 0x0200u);
    EXPECT_EQ(storage[599].value(), 0x0237u);
    EXPECT_EQ(storage[599].state(), 4);
}
