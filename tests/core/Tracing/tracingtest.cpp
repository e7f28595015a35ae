// The trace sinks (recorder, viewer), the player and the programmer, each on its own and in a round trip of a
// session with the simulated board.
#include "telegramtestsupport.h"

#include "support/assertionpattern.h"
#include "support/boardchannel.h"
#include "support/scriptedcomdriver.h"
#include "support/simulatedusb.h"

#include "Communication/I2c/i2ccomobjectprovider.h"
#include "Communication/I2c/i2cconfigcomobject.h"
#include "Communication/commandinfo.h"
#include "Communication/comstream.h"
#include "Communication/iccomcore.h"
#include "Communication/registerinfostd.h"
#include "Communication/registervalue.h"
#include "Tracing/telegramfilter.h"
#include "Tracing/traceplayer.h"
#include "Tracing/traceprogrammer.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"
#include "Tracing/traceviewer.h"

#include <QDomDocument>
#include <QFileInfo>
#include <QSignalSpy>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>

using namespace NoxCore::Communication;
using namespace NoxCore::Tracing;
using LidoraSim::SimulatedBoard;

namespace
{

QString patterned(const QString& trace)
{
    return QStringLiteral("<Telegram Pid=\"61\" CallingType=\"FireAndForget\" TelegramType=\"Request\" %1>"
                          "<I2cWriteRegister/></Telegram>")
        .arg(trace);
}

// Collects the answered objects the player hands out, as a user's result hook would.
class ResultReceiver : public QObject
{
    Q_OBJECT

public slots:
    void onPlayerResults(QList<NoxCore::Communication::IComObject*>* objects)
    {
        for (IComObject* object : *objects)
            values << dynamic_cast<IRegisterComObject*>(object)->registerValue();
    }

public:
    QList<unsigned int> values;
};

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

QStringList addresses(const QList<CommandInfo*>& commands)
{
    QStringList result;
    for (const CommandInfo* command : commands)
        result << command->getPropertyValue("Address");
    return result;
}

class TraceProgram : public TraceFileTest
{
protected:
    TraceProgram()
    {
        tracer.setComExecutor(&stream);
        for (const unsigned int address : {0x01, 0x02})
            programmer()->addCommand(manager->convertToCommandInfo(writeTelegram(address, 0)));
    }

    TraceProgrammer* programmer() { return tracer.programmer(); }
    QStringList program() { return addresses(*programmer()->getAllCommands()); }

    ScriptedComDriver driver;
    ComStream stream{&driver, ComStream::theImmediateFlushPolicy};
    Tracer tracer;
};

} // namespace

TEST(TelegramFilter, TakesPatternsSharingABitWithTheFilterAndNoneWithTheNegativeFilter)
{
    const struct
    {
        QString telegram;
        unsigned int filter;
        unsigned int negativeFilter;
        bool matches;
    } cases[] = {
        {patterned("Trace=\"100000\""), 0x00100000, 0, true},
        {patterned("Trace=\"100000\""), 0x00010000, 0, false},
        {patterned("Trace=\"00000000\""), TelegramFilter::ALL, 0, false},
        {patterned(""), TelegramFilter::ALL, 0, false},
        {patterned("Trace=\"not hex\""), TelegramFilter::ALL, 0, false},
        {patterned("Trace=\"00010001\""), TelegramFilter::ALL, 0x10000, false},
        {patterned("Trace=\"00010001\""), TelegramFilter::ALL, 0x20000, true},
        {QStringLiteral("<Other Trace=\"1\"/>"), TelegramFilter::ALL, 0, false},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(TelegramFilter::matches(testCase.telegram, testCase.filter, testCase.negativeFilter),
                  testCase.matches)
            << testCase.telegram.toStdString();
}

// The recorder and the viewer of a tracer filter each on their own; the tracer says whether both took it.
TEST_F(TraceFileTest, RecorderReplacesTheFileWithAWellFormedTraceOfWhatPassesItsFilter)
{
    writeTraceFile("old content that must go");
    Tracer tracer;
    TraceRecorder& recorder = *tracer.recorder();
    QSignalSpy enabled(&recorder, &TraceRecorder::enabledChanged);
    EXPECT_FALSE(recorder.setEnabled(true)) << "nothing to record into";
    EXPECT_FALSE(tracer.trace(writeTelegram(0x10, 0xab)));
    ASSERT_TRUE(recorder.open(fileName));
    QList<QString> recorded;
    bool cutShort = false;
    EXPECT_TRUE(TracePlayer::readTelegrams(fileName, &recorded, &cutShort) && cutShort)
        << "fault: the header waited for the first telegram, so a run without one left an empty file";
    recorder.setFilter(I2C_TRACE);

    EXPECT_TRUE(tracer.trace(writeTelegram(0x10, 0xab)));
    const QByteArray afterOne = traceFileContent();
    EXPECT_TRUE(tracer.trace(writeTelegram(0x10, 0xab, 0x40000000))) << "filtered out is not a failure";
    EXPECT_EQ(traceFileContent(), afterOne) << "every telegram is on the disk at once, nothing else is";
    EXPECT_FALSE(recorder.trace("<Telegram Trace=\"08000000\"><I2cWriteRegister>")) << "a broken text";
    EXPECT_EQ(traceFileContent(), afterOne);
    EXPECT_EQ(tracer.viewer()->getTracedProperties()->size(), 3) << "the viewer took every telegram";
    EXPECT_TRUE(recorder.trace(readTelegram(0x90, 0x8e, RESPONSE)));
    EXPECT_TRUE(recorder.close());
    EXPECT_FALSE(recorder.trace(writeTelegram(0x10, 0xab)));
    EXPECT_EQ(enabled.size(), 2);

    ASSERT_TRUE(TracePlayer::readTelegrams(fileName, &recorded, &cutShort));
    EXPECT_FALSE(cutShort);
    EXPECT_EQ(recorded, QList<QString>({writeTelegram(0x10, 0xab), readTelegram(0x90, 0x8e, RESPONSE)}));
    EXPECT_TRUE(traceFileContent().contains("\n<!DOCTYPE LogData>\n<LogData>\n"));
    EXPECT_FALSE(recorder.open(folder.filePath("missing/trace.xml")));
    EXPECT_FALSE(recorder.errorString().isEmpty());
}

// Fault: a trace that could no longer be written went on silently.
TEST_F(TraceFileTest, RecorderReportsTheFirstFailedWriteOnStandardError)
{
    const auto traceIntoAFileThatStopsGrowing = [this]
    {
        std::signal(SIGXFSZ, SIG_IGN);
        TraceRecorder recorder;
        if (!recorder.open(fileName))
            std::exit(2);
        const rlimit fileSize = {rlim_t(QFileInfo(fileName).size() + 300), RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &fileSize);
        bool traced = true;
        for (unsigned int value = 0; value < 20; ++value)
            traced = recorder.trace(writeTelegram(0x10, value));
        std::exit(traced ? 1 : 0);
    };
    EXPECT_EXIT(traceIntoAFileThatStopsGrowing(), ::testing::ExitedWithCode(0),
                "^Cannot write the trace [^\n]*trace.xml: File too large\n$");
}

TEST_F(TraceProgram, InsertsAndDeletesRangesOwningEachCommandOnce)
{
    QList<QPair<QStringList, int>> insertions;
    QObject::connect(programmer(), &TraceProgrammer::commandsInserted,
                     [&insertions](QList<CommandInfo*> infos, int position) {
                         insertions.append({addresses(infos), position});
                     });
    QSignalSpy deletions(programmer(), &TraceProgrammer::commandsDeleted);

    QList<CommandInfo*> added;
    for (const unsigned int address : {0x0a, 0x0b, 0x0c})
        added << manager->convertToCommandInfo(writeTelegram(address, 0));
    EXPECT_TRUE(programmer()->insertCommands(1, added));
    EXPECT_EQ(program(), QStringList({"1", "a", "b", "c", "2"}));
    EXPECT_EQ(insertions, (QList<QPair<QStringList, int>>{{{"a", "b", "c"}, 1}}));

    std::unique_ptr<CommandInfo> beyond(manager->convertToCommandInfo(writeTelegram(0x0d, 0)));
    EXPECT_FALSE(programmer()->insertCommand(6, beyond.get())) << "the caller keeps it";
    // Fault: a command could be owned twice, and was deleted twice; a negative count deleted to the end.
    EXPECT_FALSE(programmer()->insertCommand(0, added.first()));
    EXPECT_FALSE(programmer()->insertCommands(0, {beyond.get(), beyond.get()}));
    EXPECT_FALSE(programmer()->deleteCommands(1, -1));

    EXPECT_TRUE(programmer()->deleteCommands(1, 2));
    EXPECT_TRUE(programmer()->deleteCommands(1, 0));
    EXPECT_FALSE(programmer()->deleteCommands(3, 1));
    EXPECT_TRUE(programmer()->deleteCommands(1, 10));
    EXPECT_EQ(program(), QStringList({"1"}));
    EXPECT_EQ(deletions, (QList<QVariantList>{{1, 2}, {1, 2}}));
}

TEST_F(TraceProgram, ViewerKeepsAnswersWithinItsBoundAndTheProgramTakesThemAsRequests)
{
    TraceViewer& viewer = *tracer.viewer();
    QSignalSpy deletions(&viewer, &TraceViewer::commandsDeleted);
    viewer.setMaxCommandCount(3, 2);

    EXPECT_TRUE(viewer.trace(readTelegram(0x90, 0, REQUEST)));
    EXPECT_TRUE(viewer.getTracedProperties()->isEmpty()) << "its response carries the same and the answer";
    for (const unsigned int address : {0x01, 0x02, 0x03, 0x04})
        EXPECT_TRUE(viewer.trace(readTelegram(address, 0x8e, RESPONSE)));
    EXPECT_EQ(addresses(*viewer.getTracedProperties()), QStringList({"3", "4"}));
    EXPECT_EQ(deletions, (QList<QVariantList>{{0, 2}}));
    EXPECT_TRUE(viewer.trace(writeTelegram(0x05, 0)));
    EXPECT_FALSE(viewer.trace("<Telegram Trace=\"1\">broken")) << "refused, not a reason to stop the program";
    viewer.setEnabled(false);
    EXPECT_FALSE(viewer.trace(writeTelegram(0x06, 0)));

    // Exported into the program, a recorded answer becomes the request that asks for it again.
    ASSERT_TRUE(programmer()->insertCommands(2, viewer.exportCommands(1, -1)));
    EXPECT_EQ(program(), QStringList({"1", "2", "4", "5"}));
    const CommandInfo* answer = programmer()->getAllCommands()->at(2);
    EXPECT_EQ(answer->getPropertyValue("TelegramType"), "Request");
    EXPECT_TRUE(answer->outPropertyNames().isEmpty()) << "the answer it carried is gone";
    driver.addAnswer(0x61, 0, QByteArray::fromHex("8e"));
    QSignalSpy executing(programmer(), &TraceProgrammer::executionStateChanged);
    EXPECT_TRUE(programmer()->execute(2, -1));
    EXPECT_EQ(driver.written(), QByteArray::fromHex("6100030001 800481 e1000300008005 00"));
    EXPECT_EQ(executing, (QList<QVariantList>{{true}, {false}}));
    EXPECT_FALSE(programmer()->execute(4, 1));
    EXPECT_TRUE(programmer()->execute(4, 0));
}

TEST(TraceViewerDeathTest, BoundsMustBeUsable)
{
    TraceViewer viewer;
    EXPECT_DEATH(viewer.setMaxCommandCount(2, 3),
                 assertionPattern("Tracing/traceviewer", "clearAmount <= maxCommandCount",
                                  "The clear intervall must be smaller than the maximum command count"));
    EXPECT_DEATH(viewer.setMaxCommandCount(5, 0), assertionPattern("Tracing/traceviewer", "clearAmount > 0",
                                                                   "The clear amount cant be set to 0"));
}

// Fault guarded: a slot reached through the player that edits the program (a view deleting a line, say) freed
// the commands the execution was still walking.
TEST_F(TraceProgram, ExecutionSurvivesTheProgramBeingEditedMeanwhile)
{
    QObject::connect(tracer.player(), &TracePlayer::playedSingleTelegram,
                     [this]() { programmer()->deleteCommands(0, programmer()->getAllCommands()->size()); });
    EXPECT_TRUE(programmer()->execute(0, -1));
    EXPECT_EQ(driver.written(), QByteArray::fromHex("e1000300008001 00 e1000300008002 00"));
    EXPECT_FALSE(programmer()->isExecuting());
}

// What a bad file does to a loaded program is with the bad input.
TEST_F(TraceProgram, SavedProgramLoadsBackWithItsComments)
{
    const QString saved = folder.filePath("program.xml");
    programmer()->getAllCommands()->last()->setComment("after the reset");
    ASSERT_TRUE(programmer()->saveProgram(saved));
    programmer()->deleteCommands(0, programmer()->getAllCommands()->size());
    ASSERT_TRUE(programmer()->loadProgram(saved));
    EXPECT_EQ(program(), QStringList({"1", "2"}));
    EXPECT_EQ(programmer()->getAllCommands()->last()->comment(), "after the reset") << "comments are kept";

    EXPECT_FALSE(programmer()->loadProgram(folder.filePath("missing.xml")));
    TraceProgrammer unwired;
    EXPECT_FALSE(unwired.saveProgram(saved));
    EXPECT_FALSE(unwired.loadProgram(saved));
}

// A session with the simulated board recorded through a tracer, loaded by the programmer and replayed twice
// by the player on a fresh stream: the board must receive the very same request frames again.
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
        EXPECT_FALSE(player.open(fileName)) << "already open";
        int sent = 0;
        bool skipped = false;
        while (player.playNext(&skipped))
            sent += int(!skipped);
        EXPECT_EQ(sent, requests) << "the recorded answers are skipped: the live board answers instead";
        ASSERT_TRUE(player.reset());
        EXPECT_TRUE(player.playToEnd());
    }
    EXPECT_EQ(usb.backend.receivedFrames(SimulatedBoard::Channel::Module), sessionFrames + sessionFrames);
}

// Fault guarded: a player that went away (or changed executor) while the stream still held the requests it
// sent deleted them under the stream, which wrote the answers into freed memory at its next flush.
TEST_F(TraceFileTest, PlayerLetsTheStreamAnswerWhatItSentBeforeLettingGo)
{
    writeTraceFile(traceFile({readTelegram(0x90, 0, REQUEST), readTelegram(0x91, 0, REQUEST)}));
    ScriptedComDriver driver;
    driver.addAnswer(0x61, 0, QByteArray::fromHex("8e"));
    driver.addAnswer(0x61, 0, QByteArray::fromHex("8f"));
    ComStream stream(&driver, ComStream::theLateFlushPolicy);
    ResultReceiver receiver;
    {
        TracePlayer player(nullptr, &stream);
        player.resultDelegate.set(&receiver,
                                  SLOT(onPlayerResults(QList<NoxCore::Communication::IComObject*>*)));
        ASSERT_TRUE(player.open(fileName));
        ASSERT_TRUE(player.playNext());
        EXPECT_TRUE(stream.isResultPending());
        player.setComExecutor(&stream);
        EXPECT_EQ(receiver.values, QList<unsigned int>({0x8e})) << "answered first, then handed out";
        ASSERT_TRUE(player.playNext());
        EXPECT_TRUE(stream.isResultPending());
    }
    EXPECT_FALSE(stream.isResultPending());
    stream.flush();
    EXPECT_EQ(driver.unreadAnswerBytes(), QByteArray());
}

#include "tracingtest.moc"
