// A session with the simulated board recorded through a tracer, loaded by the programmer and replayed by the
// player on a fresh stream: the board must receive the very same request frames again.
#include "telegramtestsupport.h"

#include "support/boardchannel.h"
#include "support/simulatedusb.h"

#include "Communication/I2c/i2ccomobjectprovider.h"
#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/iccomcore.h"
#include "Communication/registerinfostd.h"
#include "Communication/registervalue.h"
#include "Tracing/traceplayer.h"
#include "Tracing/traceprogrammer.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"

#include <QDomDocument>

using namespace NoxCore::Communication;
using namespace NoxCore::Tracing;
using LidoraSim::SimulatedBoard;

namespace
{

// Register reads, a verified write and a block read through the register core, and a configuration sent on
// the stream directly.
void runSession(ComStream& stream)
{
    I2c::I2cConfigComObject configuration(2, I2c::I2cConfigComObject::CLOCK_400KHZ, 0, I2C_TRACE);
    stream.execute(&configuration);
    I2c::I2cComObjectProvider provider;
    provider.setConfiguration(SENSOR);
    IcComCore core(&stream, &provider);
    RegisterInfoStd chipId(0x90, 8, 8, 0xFF);
    RegisterValue value;
    ASSERT_EQ(core.readRegister(&chipId, &value, false), 0);
    RegisterInfoStd gain(0x21, 8, 8, 0xFF);
    RegisterValue gainValue(0x5A, 0);
    ASSERT_EQ(core.writeRegister(&gain, &gainValue), 0);
    RegisterInfoStd next(0x22, 8, 8, 0xFF);
    RegisterValue values[2];
    QList<IRegisterInfo*> infoList = {&gain, &next};
    QList<IRegisterValue*> valueList = {&values[0], &values[1]};
    ASSERT_EQ(core.readRegisterList(&infoList, &valueList, true, false), 0);
}

} // namespace

TEST_F(TraceFileTest, RecordedSessionReplaysTheSameFramesByteForByte)
{
    SimulatedUsb usb;
    Tracer tracer;
    ASSERT_TRUE(tracer.recorder()->open(fileName));
    {
        BoardChannel recorded("mi_04");
        ASSERT_TRUE(recorded.stream.open());
        recorded.stream.setTracer(&tracer);
        runSession(recorded.stream);
        recorded.stream.setTracer(nullptr);
    }
    ASSERT_TRUE(tracer.recorder()->close());
    const QList<QByteArray> sessionFrames = usb.backend.receivedFrames(SimulatedBoard::Channel::Module);
    ASSERT_GE(sessionFrames.size(), 5);

    QDomDocument document;
    ASSERT_TRUE(document.setContent(traceFileContent()));
    const QDomNodeList telegrams = document.documentElement().elementsByTagName("Telegram");
    int requests = 0;
    for (int index = 0; index < telegrams.size(); ++index)
        requests += telegrams.at(index).toElement().attribute("TelegramType") == "Request";
    EXPECT_LT(requests, telegrams.size()) << "the answers were recorded too";
    EXPECT_FALSE(traceFileContent().contains("StreamFlush")) << "a flush carries nothing to replay";

    ASSERT_TRUE(tracer.programmer()->loadProgram(fileName));
    EXPECT_EQ(tracer.programmer()->getAllCommands()->size(), requests);

    usb.backend.clearReceivedFrames();
    {
        BoardChannel replayed("mi_04");
        ASSERT_TRUE(replayed.stream.open());
        TracePlayer player(nullptr, &replayed.stream);
        ASSERT_TRUE(player.open(fileName));
        EXPECT_TRUE(player.playToEnd());
    }
    EXPECT_EQ(usb.backend.receivedFrames(SimulatedBoard::Channel::Module), sessionFrames);
}
