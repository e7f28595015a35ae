// A session with the simulated board recorded through a tracer, loaded by the programmer and replayed by the
// player on a fresh stream: the board must receive the very same request frames again.
#include "telegramtestsupport.h"

#include "support/tempworkdir.h"

#include "Communication/I2c/i2ccomobjectprovider.h"
#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "Communication/iccomcore.h"
#include "Communication/registerinfostd.h"
#include "Communication/registervalue.h"
#include "HidDevice/hidbackend.h"
#include "Tracing/traceplayer.h"
#include "Tracing/traceprogrammer.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"
#include "hidcomdriver.h"
#include "simulatedhidbackend.h"

#include <QDomDocument>

#include <memory>

using namespace NoxCore::Communication;
using namespace NoxCore::Tracing;
using LidoraSim::SimulatedBoard;
using LidoraSim::SimulatedHidBackend;

namespace
{

// The module channel as the board's stack builds it: HID driver, formatter, stream with immediate flushes.
struct ModuleChannel
{
    ModuleChannel() : driver(deviceInfo()), stream(&driver, ComStream::theImmediateFlushPolicy)
    {
        driver.setFormatter(&formatter);
    }
    ~ModuleChannel() { stream.close(); }

    static NoxHid::HidComDeviceInfo deviceInfo()
    {
        NoxHid::HidComDeviceInfo info(SimulatedHidBackend::VENDOR_ID, SimulatedHidBackend::PRODUCT_ID);
        info.setPath("mi_04");
        return info;
    }

    ComStreamFormatter formatter;
    NoxHid::HidComDriver driver;
    ComStream stream;
};

// Counts what the stream traces on its way to the tracer.
class CountingSink : public ITraceSink
{
public:
    explicit CountingSink(ITraceSink& next) : itsNext(next) {}
    bool trace(QString telegram) override
    {
        ++count;
        return itsNext.trace(telegram);
    }

    int count = 0;

private:
    ITraceSink& itsNext;
};

class TraceRoundTrip : public TelegramCommandsTest
{
protected:
    TraceRoundTrip() : backend(board), previous(NoxHid::HidBackend::install(&backend)) {}
    ~TraceRoundTrip() override { NoxHid::HidBackend::install(previous); }

    // Register reads, a verified write and a block read through the register core, and a configuration
    // sent on the stream directly.
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
        ASSERT_EQ(value.value(), 0x8Eu);
        RegisterInfoStd gain(0x21, 8, 8, 0xFF);
        RegisterValue gainValue(0x5A, 0);
        ASSERT_EQ(core.writeRegister(&gain, &gainValue), 0);
        std::vector<std::unique_ptr<RegisterInfoStd>> block;
        QList<IRegisterInfo*> infos;
        QList<IRegisterValue*> values;
        for (unsigned int address = 0x20; address < 0x24; ++address)
        {
            block.push_back(std::make_unique<RegisterInfoStd>(address, 8, 8, 0xFF));
            infos << block.back().get();
            values << new RegisterValue();
        }
        ASSERT_EQ(core.readRegisterList(&infos, &values, true, false), 0);
        EXPECT_EQ(values.at(1)->value(), 0x5Au);
        qDeleteAll(values);
    }

    TempWorkDir folder;
    const QString fileName = folder.filePath("session.xml");
    SimulatedBoard board;
    SimulatedHidBackend backend;
    NoxHid::IHidBackend* previous;
};

} // namespace

TEST_F(TraceRoundTrip, RecordedSessionReplaysTheSameFramesByteForByte)
{
    Tracer tracer;
    CountingSink counter(tracer);
    ASSERT_TRUE(tracer.recorder()->open(fileName));
    {
        ModuleChannel recorded;
        ASSERT_TRUE(recorded.stream.open());
        recorded.stream.setTracer(&counter);
        runSession(recorded.stream);
        recorded.stream.setTracer(nullptr);
    }
    ASSERT_TRUE(tracer.recorder()->close());
    const QList<QByteArray> sessionFrames = backend.receivedFrames(SimulatedBoard::Channel::Module);
    ASSERT_GE(sessionFrames.size(), 5);

    QDomDocument document;
    ASSERT_TRUE(document.setContent(readFile(fileName)));
    EXPECT_EQ(document.documentElement().tagName(), "LogData");
    const QDomNodeList telegrams = document.documentElement().elementsByTagName("Telegram");
    EXPECT_EQ(telegrams.size(), counter.count);
    int requests = 0;
    for (int index = 0; index < telegrams.size(); ++index)
        requests += telegrams.at(index).toElement().attribute("TelegramType") == "Request";
    EXPECT_LT(requests, telegrams.size()) << "the answers were recorded too";

    ASSERT_TRUE(tracer.programmer()->loadProgram(fileName));
    EXPECT_EQ(tracer.programmer()->getAllCommands()->size(), requests);

    backend.clearReceivedFrames();
    {
        ModuleChannel replayed;
        ASSERT_TRUE(replayed.stream.open());
        TracePlayer player(nullptr, &replayed.stream);
        ASSERT_TRUE(player.open(fileName));
        EXPECT_TRUE(player.playToEnd());
    }
    EXPECT_EQ(backend.receivedFrames(SimulatedBoard::Channel::Module), sessionFrames);
}
