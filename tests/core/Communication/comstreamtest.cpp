#include "comobjectprobe.h"
#include "testcomobjects.h"

#include "support/scriptedcomdriver.h"

#include "Communication/Control/firmwarenumbercomobject.h"
#include "Communication/comstream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

using namespace NoxCore::Communication;
using NoxCore::Communication::Control::FirmwareNumberComObject;

namespace
{

QByteArray bytes(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray payloadOf(unsigned int size)
{
    QByteArray payload;
    for (unsigned int index = 0; index < size; ++index)
        payload.append(char(index * 7));
    return payload;
}

// The other thread must have finished well within this; it only waits for the lock.
const std::chrono::seconds OTHER_THREAD_DONE(10);

class ComStreamTest : public ::testing::Test
{
protected:
    ScriptedComDriver driver;
    ComStream stream{&driver, ComStream::theLateFlushPolicy};
};

} // namespace

TEST_F(ComStreamTest, FramesCarryBitSevenTheRequestLengthAndTheLargestAnswer)
{
    // The notice waits for no answer: the two answers below go to the two requests.
    ScriptedComObject notice(0x05, 2, 0, IComObject::FireAndForget);
    ScriptedComObject objects(0x02, 0, 17);
    // The protocol id travels in seven bits: 0x85 goes out and comes back as 0x05.
    ScriptedComObject highBit(0x85, 1, 2);
    stream << notice << objects << highBit;
    EXPECT_EQ(driver.written(), bytes("8500020000a0a1") + bytes("0200000011") + bytes("0500010002a0"));
    EXPECT_EQ(driver.flushCount(), 0);

    driver.addAnswer(0x02, 0, payloadOf(17));
    driver.addAnswer(0x05, 0, bytes("0102"));
    stream.flush();
    EXPECT_EQ(objects.answer, payloadOf(17));
    EXPECT_EQ(highBit.answer, bytes("0102"));
    EXPECT_EQ(stream.lastError(), 0);
}

TEST_F(ComStreamTest, PayloadSizeLimitOnBothPaths)
{
    const auto notice = IComObject::FireAndForget;
    const auto request = IComObject::RequestAndResponse;
    const struct
    {
        IComObject::CallingType callingType;
        unsigned int serializeSize;
        unsigned int deserializeSize;
        bool sent;
        int error;
    } cases[] = {
        {notice, 1088, 0, true, 0},
        {notice, 1089, 0, false, ComDriver::TRANSMIT_FAILED},
        {request, 1088, 1088, true, 0},
        {request, 1089, 0, false, ComDriver::CHANNEL_NOT_OPEN},
        {request, 0, 1089, false, ComDriver::CHANNEL_NOT_OPEN},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testing::Message() << testCase.callingType << " " << testCase.serializeSize << " "
                                        << testCase.deserializeSize);
        ScriptedComDriver caseDriver;
        ComStream caseStream(&caseDriver, ComStream::theLateFlushPolicy);
        ScriptedComObject object(0x11, testCase.serializeSize, testCase.deserializeSize,
                                 testCase.callingType);
        caseStream.append(&object);
        EXPECT_EQ(caseDriver.written().size(), testCase.sent ? int(5 + testCase.serializeSize) : 0);
        EXPECT_EQ(caseStream.lastError(), testCase.error);
    }
}

TEST_F(ComStreamTest, AnswerHandling)
{
    const int MISMATCH = ComDriver::DATA_MISMATCH;
    const int UNREAD = ComDriver::RECEIVE_FAILED;
    const int REFUSED = ComDriver::CHANNEL_NOT_OPEN;
    const struct
    {
        const char* name;
        QByteArray answer;
        signed char status;
        bool valid;
        int error;
        QByteArray deserialized;
    } cases[] = {
        {"success", bytes("0200000011") + payloadOf(17), 0, true, 0, payloadOf(17)},
        {"target status kept", bytes("0200050002") + bytes("0102"), 5, true, 0, bytes("0102")},
        {"status is signed", bytes("0200ff0000"), -1, true, 0, {}},
        {"zero-length answer", bytes("0200000000"), 0, true, 0, {}},
        {"unexamined byte ignored", bytes("02ab000001") + bytes("09"), 0, true, 0, bytes("09")},
        {"protocol id mismatch", bytes("0300000011") + payloadOf(17), 2, false, MISMATCH, {}},
        {"fire-and-forget bit in answer", bytes("8200000000"), 2, false, MISMATCH, {}},
        {"longer than accepted", bytes("0200000012") + payloadOf(18), 1, false, REFUSED, {}},
        {"longest announced", bytes("020000ffff") + payloadOf(18), 1, false, REFUSED, {}},
        {"no answer", QByteArray(), 1, false, UNREAD, {}},
        {"truncated header", bytes("02000000"), 1, false, UNREAD, {}},
        {"truncated payload", bytes("0200000011") + payloadOf(10), 1, false, UNREAD, {}},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.name);
        ScriptedComDriver caseDriver;
        ComStream caseStream(&caseDriver, ComStream::theImmediateFlushPolicy);
        caseDriver.addAnswerBytes(testCase.answer);
        ScriptedComObject object(0x02, 0, 17);
        EXPECT_TRUE(caseStream.execute(&object));
        // The immediate policy has flushed already; execute does not flush again.
        EXPECT_EQ(caseDriver.flushCount(), 1);
        EXPECT_EQ(object.status(), testCase.status);
        EXPECT_EQ(object.valid(), testCase.valid);
        EXPECT_EQ(object.deserializeCalls, testCase.valid ? 1 : 0);
        EXPECT_EQ(object.answer, testCase.deserialized);
        EXPECT_EQ(object.next(), nullptr);
        EXPECT_FALSE(caseStream.isResultPending());
        // A refused answer is not read at all; its bytes stay in the driver until the error is read.
        if (testCase.error == REFUSED)
        {
            EXPECT_EQ(caseDriver.unreadAnswerBytes(), payloadOf(18));
        }
        EXPECT_EQ(caseStream.lastError(), testCase.error);
        EXPECT_TRUE(caseDriver.unreadAnswerBytes().isEmpty());
        EXPECT_EQ(caseStream.lastError(), 0);
    }
}

// An error stays until it is read, blocks requests meanwhile, and combines with what the driver keeps.
TEST_F(ComStreamTest, AnErrorIsKeptUntilReadBlocksRequestsMeanwhileAndCombinesWithTheDrivers)
{
    // Write failure: the request stays pending and its answer read fails.
    driver.failWrites(ComDriver::TRANSMIT_FAILED);
    ScriptedComObject unsent(0x02, 0, 17);
    stream.append(&unsent);
    stream.flush();
    EXPECT_EQ(stream.lastError(), ComDriver::RECEIVE_FAILED);

    // A notice that failed blocks the request after it until the error is read.
    ScriptedComObject notice(0x05, 0, 0, IComObject::FireAndForget);
    stream.append(&notice);
    driver.failWrites(0);
    driver.clearWritten();
    ScriptedComObject blocked(0x02, 0, 17);
    stream.append(&blocked);
    EXPECT_TRUE(driver.written().isEmpty());
    EXPECT_FALSE(stream.isResultPending());
    EXPECT_EQ(stream.lastError(), ComDriver::TRANSMIT_FAILED);
    driver.addAnswer(0x02, 0, payloadOf(17));
    stream.execute(&blocked);
    EXPECT_TRUE(blocked.valid());
    EXPECT_EQ(stream.lastError(), 0);

    // Flush failure with nothing pending stays the outcome of the flush.
    driver.failFlushes(ComDriver::TRANSMIT_FAILED);
    stream.flush();
    EXPECT_EQ(stream.lastError(), ComDriver::TRANSMIT_FAILED);
    driver.failFlushes(0);

    // The driver keeps -1 from a write on a closed channel; the flush then leaves the stream's own code 0.
    ScriptedComObject unheard(0x05, 0, 0, IComObject::FireAndForget);
    driver.close();
    stream.append(&unheard);
    driver.open();
    stream.flush();
    EXPECT_EQ(stream.lastError(), ComDriver::CHANNEL_NOT_OPEN);
    EXPECT_EQ(stream.lastError(), 0);

    // The stream's own mismatch code and a read failure kept by the driver combine bit by bit.
    driver.failReads(ComDriver::RECEIVE_FAILED);
    ScriptedComObject first(0x02, 0, 0);
    stream.append(&first);
    stream.flush();
    driver.failReads(0);
    // A flush overwrites the stream's code with its own outcome; the driver still keeps its -3.
    stream.flush();
    driver.addAnswer(0x03, 0, QByteArray());
    ScriptedComObject second(0x02, 0, 0);
    stream.execute(&second);
    EXPECT_EQ(second.status(), 2);
    EXPECT_EQ(stream.lastError(), ComDriver::DATA_MISMATCH | ComDriver::RECEIVE_FAILED);
    EXPECT_EQ(stream.lastError(), 0);
}

// Guards against a request whose serialize() fails being queued anyway: it used to stay in the pending list
// with a lock level held, so the next flush waited for an answer that was never asked for and other threads
// stayed locked out.
TEST_F(ComStreamTest, ARequestThatCannotSerialiseIsNeitherSentNorLeftPending)
{
    ScriptedComObject broken(0x02, 0, 17);
    broken.serializeSucceeds = false;
    stream.append(&broken);
    EXPECT_TRUE(driver.written().isEmpty());
    EXPECT_FALSE(stream.isResultPending());
    EXPECT_EQ(broken.next(), nullptr);

    stream.flush();
    EXPECT_EQ(driver.readCount(), 0);
    EXPECT_EQ(stream.lastError(), 0);

    auto otherThread = std::async(std::launch::async, [this] { return stream.isResultPending(); });
    ASSERT_EQ(otherThread.wait_for(OTHER_THREAD_DONE), std::future_status::ready);
    EXPECT_FALSE(otherThread.get());
}

TEST_F(ComStreamTest, TracesRequestFlushAndResponseAndTheFlushObjectOnlyFlushes)
{
    RecordingTraceSink sink;
    stream.setTracer(&sink);
    driver.addAnswer(0x67, 0, bytes("020511"));
    FirmwareNumberComObject firmware(0x40000000);
    StreamFlushObject flush;
    stream << firmware << flush;
    EXPECT_EQ(driver.writeCount(), 1);
    EXPECT_EQ(driver.flushCount(), 1);
    EXPECT_EQ(firmware.get(), 0x20511u);
    // The texts are pinned with the objects; here their order, and the response traced with its answer.
    EXPECT_EQ(sink.telegrams,
              QStringList({telegramOf(&firmware, 0), telegramOf(&flush, 0), telegramOf(&firmware, 1)}));

    // A failed answer is not traced.
    sink.telegrams.clear();
    FirmwareNumberComObject unanswered(0x40000000);
    stream.execute(&unanswered);
    EXPECT_EQ(sink.telegrams.size(), 2);
}

// An object the stream cannot run is reported after the flush, which would otherwise hide it; the rest of the
// queue runs.
TEST_F(ComStreamTest, AQueuedObjectTheStreamCannotRunIsReportedAfterTheFlush)
{
    BareComObject bare;
    ScriptedComObject third(0x04, 0, 0);
    driver.addAnswer(0x04, 0, QByteArray());
    QQueue<IComObject*> mixed;
    mixed << &bare << &third;
    stream.execute(&mixed);
    EXPECT_TRUE(third.valid());
    EXPECT_EQ(stream.lastError(), ComDriver::TRANSMIT_FAILED);
}
