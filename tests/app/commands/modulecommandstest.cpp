#include "support/qtprinters.h"
#include "support/scriptedcomdriver.h"

#include "getcalibrationdatacommand.h"
#include "getobjectscommand.h"
#include "getserialnumbercommand.h"
#include "targetconfigurationcommand.h"

#include "Communication/comstream.h"

#include <gtest/gtest.h>

#include <vector>

using NoxCore::Communication::ComStream;
using NoxCore::Communication::IComObject;

namespace
{

// Exactly the answer bytes in a buffer of their own size, so that a read past them is caught.
std::vector<unsigned char> answerOf(const char* hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    return std::vector<unsigned char>(bytes.cbegin(), bytes.cend());
}

// Every field an object answer decodes into, in answer order.
std::vector<quint64> fieldsOf(const GetObjectsCommand& command)
{
    const ObjectRecord r = command.objectRecord();
    return {command.objectCount(),  r.firstByte,        r.distance, r.distance2, r.distance3, r.confidence,
            r.photonCountReference, r.photonCountObject};
}

QStringList textsOf(const GetSerialNumberCommand& command)
{
    return {command.serialNumber(), command.app0Revision(), command.driverRevision(), command.extraRevision(),
            command.chipRevision()};
}

// Serial number, the App0 and driver revisions, extra and chip revision.
const char SERIAL_NUMBER_ANSWER[] = "0a1b2c3d 0102000f 02000105 07 03";

class ModuleCommandExchange : public ::testing::Test
{
protected:
    // What the stream wrote for the command, with the target's answer read back into it.
    QByteArray exchange(IComObject& command, unsigned char protocol, const char* answerHex)
    {
        driver.addAnswer(protocol, 0, QByteArray::fromHex(answerHex));
        EXPECT_TRUE(stream.execute(&command));
        EXPECT_EQ(stream.lastError(), 0);
        return driver.written();
    }

    ScriptedComDriver driver;
    ComStream stream{&driver, ComStream::theImmediateFlushPolicy};
};

} // namespace

TEST_F(ModuleCommandExchange, GetObjectsDecodesEveryLittleEndianFieldAndKeepsItsRecordOnShortAnswers)
{
    // count, first byte, three distances, confidence, reference and object photon counts
    const char answerHex[] = "05 11 3412 7856 bc9a 3f 04030201 f8f7f6f5";
    GetObjectsCommand command;
    EXPECT_EQ(exchange(command, 0x02, answerHex), QByteArray::fromHex("0200000011"));
    const std::vector<quint64> decoded = fieldsOf(command);
    EXPECT_EQ(decoded, (std::vector<quint64>{5, 0x11, 0x1234, 0x5678, 0x9ABC, 63, 0x01020304u, 0xF5F6F7F8u}));

    const std::vector<unsigned char> answer = answerOf(answerHex);
    for (unsigned int size = 0; size < GetObjectsCommand::ANSWER_SIZE; ++size)
    {
        GetObjectsCommand fresh;
        std::vector<unsigned char> shortAnswer(answer.begin(), answer.begin() + size);
        EXPECT_FALSE(fresh.deserialize(shortAnswer.data(), size)) << size;
        EXPECT_EQ(fieldsOf(fresh), std::vector<quint64>(8, 0)) << size;
    }
    EXPECT_FALSE(command.deserialize(nullptr, 17));
    EXPECT_EQ(fieldsOf(command), decoded) << "kept";
}

TEST_F(ModuleCommandExchange, TargetConfigurationSendsModeAndRecordsTheRequest)
{
    TargetConfigurationCommand proximity(1, 0, 1);
    EXPECT_EQ(exchange(proximity, 0x07, ""), QByteArray::fromHex("0700030000010001"));
    EXPECT_EQ(proximity.description(), "#DTX;TARGET_CONFIGURATION;07;01;00;01");

    // Buffers too small for the request are refused without a record; there is no answer to read.
    TargetConfigurationCommand both(1, 0, 2);
    unsigned char buffer[3] = {};
    EXPECT_FALSE(both.serialize(buffer, 2));
    EXPECT_FALSE(both.serialize(nullptr, 3));
    EXPECT_TRUE(both.description().isEmpty());
    EXPECT_TRUE(both.deserialize(nullptr, 0));
}

TEST_F(ModuleCommandExchange, SerialNumberAndRevisionsBecomeTextsAndShortAnswersKeepThePlaceholders)
{
    GetSerialNumberCommand command;
    EXPECT_EQ(exchange(command, 0x08, SERIAL_NUMBER_ANSWER), QByteArray::fromHex("080000000e"));
    EXPECT_EQ(textsOf(command), QStringList({"0a-1b-2c-3d", "1.2.0.15", "2.0.1.5", "7", "3"}));
    EXPECT_EQ(command.description(), "#DTX;GET_SERIAL_NUMBER;08\n"
                                     "#DRX;GET_SERIAL_NUMBER;0a;1b;2c;3d;01;02;00;0f;02;00;01;05;07;03");

    // A short answer keeps the placeholders and records its length.
    std::vector<unsigned char> answer = answerOf(SERIAL_NUMBER_ANSWER);
    answer.pop_back();
    GetSerialNumberCommand shortened;
    EXPECT_FALSE(shortened.deserialize(answer.data(), unsigned(answer.size())));
    EXPECT_EQ(textsOf(shortened), QStringList({"00-00-00-00", "11.11.11.11", "22.22.22.22", "0", "0"}));
    EXPECT_EQ(shortened.description(), "GET_SERIAL_NUMBER not deserialized. Response length: 0d");

    GetSerialNumberCommand empty;
    EXPECT_FALSE(empty.deserialize(nullptr, 14));
    EXPECT_EQ(empty.description(), "GET_SERIAL_NUMBER not deserialized. Response length: 00");
}

// The texts of a whole block are pinned with the lines the record writer makes of them.
TEST_F(ModuleCommandExchange, CalibrationBlockIsRequestedByNumberAndAShortOneComesWithItsLengthAndBytes)
{
    GetCalibrationDataCommand command(2);
    EXPECT_EQ(exchange(command, 0x09, "0aff000102030405060708090a0b"), QByteArray::fromHex("090001000e02"));

    std::vector<unsigned char> answer = answerOf("01020304ff");
    GetCalibrationDataCommand shortened(2);
    EXPECT_FALSE(shortened.deserialize(answer.data(), unsigned(answer.size())));
    EXPECT_EQ(shortened.calibrationData(), "\r\n");
    EXPECT_EQ(shortened.description(),
              "#DRX;GET_CALIBRATION_DATA not deserialized. Response length: 0x05. Data: ;01;02;03;04;FF");
    EXPECT_FALSE(shortened.serialize(nullptr, 1));
    unsigned char buffer[1] = {};
    EXPECT_FALSE(shortened.serialize(buffer, 0));
}
