// The trace recorder, the player and the programmer, each on its own and with bad input.
#include "telegramtestsupport.h"

#include "support/scriptedcomdriver.h"

#include "Communication/commandinfo.h"
#include "Communication/comstream.h"
#include "Communication/streamflushobject.h"
#include "Tracing/telegramfilter.h"
#include "Tracing/tracefilereader.h"
#include "Tracing/traceplayer.h"
#include "Tracing/traceprogrammer.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSignalSpy>

#include <cstdlib>
#include <memory>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

using namespace NoxCore::Communication;
using namespace NoxCore::Tracing;

namespace
{

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

using BadInput = TraceFileTest;

} // namespace

// The recorder and the viewer of a tracer filter each on their own; the tracer says whether both took it.
TEST_F(TraceFileTest, RecorderReplacesTheFileWithAWellFormedTraceOfWhatPassesItsFilter)
{
    writeTraceFile("old content that must go");
    Tracer tracer;
    TraceRecorder& recorder = *tracer.recorder();
    ASSERT_TRUE(recorder.open(fileName));
    QList<QString> recorded;
    bool cutShort = false;
    EXPECT_TRUE(TracePlayer::readTelegrams(fileName, &recorded, &cutShort) && cutShort)
        << "fault: the header waited for the first telegram, so a run without one left an empty file";
    recorder.setFilter(I2C_TRACE);

    EXPECT_TRUE(tracer.trace(writeTelegram(0x10, 0xab)));
    const QByteArray afterOne = traceFileContent();
    EXPECT_TRUE(tracer.trace(writeTelegram(0x10, 0xab, 0x40000000))) << "filtered out is not a failure";
    recorder.setFilter(TelegramFilter::ALL);
    StreamFlushObject flush;
    EXPECT_TRUE(recorder.trace(telegramOf(&flush, REQUEST))) << "a flush carries nothing to replay";
    EXPECT_EQ(traceFileContent(), afterOne) << "every telegram is on the disk at once, nothing else is";
    EXPECT_FALSE(recorder.trace("<Telegram Trace=\"08000000\"><I2cWriteRegister>")) << "a broken text";
    EXPECT_EQ(traceFileContent(), afterOne);
    EXPECT_TRUE(recorder.trace(readTelegram(0x90, 0x8e, RESPONSE)));
    EXPECT_TRUE(recorder.close());
    EXPECT_FALSE(recorder.trace(writeTelegram(0x10, 0xab)));

    ASSERT_TRUE(TracePlayer::readTelegrams(fileName, &recorded, &cutShort));
    EXPECT_FALSE(cutShort);
    EXPECT_EQ(recorded, QList<QString>({writeTelegram(0x10, 0xab), readTelegram(0x90, 0x8e, RESPONSE)}));
    EXPECT_TRUE(traceFileContent().contains("\n<!DOCTYPE LogData>\n<LogData>\n"));
    EXPECT_FALSE(recorder.open(folder.filePath("missing/trace.xml")));
    EXPECT_FALSE(recorder.errorString().isEmpty());
}

#ifndef _WIN32
// Fault: a trace that could no longer be written went on silently. (A full disk is a file size limit here,
// which Windows does not have.)
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
#endif

// Fault: a command could be owned twice, and was deleted twice; a negative count deleted to the end.
TEST_F(TraceProgram, InsertsAndDeletesRangesOwningEachCommandOnce)
{
    QList<CommandInfo*> added;
    for (const unsigned int address : {0x0a, 0x0b})
        added << manager->convertToCommandInfo(writeTelegram(address, 0));
    EXPECT_TRUE(programmer()->insertCommands(1, added));
    EXPECT_EQ(program(), QStringList({"1", "a", "b", "2"}));

    std::unique_ptr<CommandInfo> beyond(manager->convertToCommandInfo(writeTelegram(0x0d, 0)));
    EXPECT_FALSE(programmer()->insertCommand(5, beyond.get())) << "the caller keeps it";
    EXPECT_FALSE(programmer()->insertCommand(0, added.first()));
    EXPECT_FALSE(programmer()->insertCommands(0, {beyond.get(), beyond.get()}));
    EXPECT_FALSE(programmer()->deleteCommands(1, -1));
    EXPECT_FALSE(programmer()->deleteCommands(4, 1));
    EXPECT_TRUE(programmer()->deleteCommands(1, 10));
    EXPECT_EQ(program(), QStringList({"1"}));
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

// Trace files as they come from disks, editors and other programs: broken, hostile or merely wrong. Nothing
// may crash, and nothing that could not be read completely may reach the board. The telegram texts in them
// convert through the command manager, whose test has the broken ones.

TEST_F(BadInput, PlayerStopsAtTheFirstBadTelegramAndSendsNothingOfIt)
{
    const QString first = writeTelegram(0x01, 1);
    const QString last = writeTelegram(0x03, 3);
    const QByteArray firstFrame = QByteArray::fromHex("e1000300008001 01");
    const QByteArray lastFrame = QByteArray::fromHex("e1000300008003 03");
    const QByteArray laughs = "<!DOCTYPE LogData [<!ENTITY a \"hahahahahahahahahahahahahahahahahahahaha\">"
                              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                              "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                              "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>";
    // A cut-short file is what a killed recording leaves: its complete telegrams load, and the programmer
    // says where they came from. Fault: such a file could not be loaded at all.
    enum Reading
    {
        NotATrace,
        Broken,
        CutShort,
        WellFormed
    };
    const struct
    {
        const char* what;
        QByteArray file;
        QByteArray frames;
        Reading reading;
        int loaded;
    } cases[] = {
        {"unclosed root: every telegram plays, but the end was never reached",
         traceFile({first, last}).replace("</LogData>", ""), firstFrame + lastFrame, CutShort, 2},
        {"cut off inside a telegram", traceFile({first, last}).left(traceFile({first}).size() + 60),
         firstFrame, CutShort, 1},
        {"header only", traceFile({}).replace("</LogData>", ""), "", CutShort, 0},
        {"garbage between telegrams", traceFile({first, "<<>>", last}), firstFrame, Broken, 0},
        {"enormous", traceFile({first, ENORMOUS, last}), firstFrame, Broken, 0},
        {"exponential entities",
         traceFile({first, writeTelegramWithAddress("<Address>&d;</Address>"), last})
             .replace("<!DOCTYPE LogData>", laughs),
         firstFrame, Broken, 0},
        {"unknown command", traceFile({first, UNKNOWN_COMMAND, last}), firstFrame, WellFormed, 0},
        {"missing attribute",
         traceFile({first, QString(first).remove("CallingType=\"FireAndForget\""), last}), firstFrame,
         WellFormed, 0},
        {"another version", traceFile({first}, "1.1"), "", NotATrace, 0},
        {"not XML at all", "\x89PNG\r\n\x1a\n not a trace at all", "", NotATrace, 0},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.what);
        writeTraceFile(testCase.file);
        ScriptedComDriver driver;
        ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
        TracePlayer player(nullptr, &stream);
        ASSERT_EQ(player.open(fileName), testCase.reading != NotATrace);
        if (testCase.reading != NotATrace)
        {
            EXPECT_FALSE(player.playToEnd());
            EXPECT_EQ(driver.written().toHex(), testCase.frames.toHex());
        }
        if (testCase.reading == Broken || testCase.reading == CutShort)
        {
            EXPECT_FALSE(player.playNext()) << "a broken file gives nothing more";
        }

        TraceProgrammer programmer;
        QSignalSpy cutShort(&programmer, &TraceProgrammer::programCutShort);
        programmer.setPlayer(&player);
        programmer.addCommand(manager->convertToCommandInfo(last));
        EXPECT_EQ(programmer.loadProgram(fileName), testCase.reading == CutShort);
        EXPECT_EQ(programmer.getAllCommands()->size(), testCase.reading == CutShort ? testCase.loaded : 1);
        EXPECT_EQ(cutShort.size(), int(testCase.reading == CutShort));
    }

    // Fault: the text limit applied only once a token was read whole, so one endless token filled the memory.
    QBuffer endless;
    endless.setData("<?xml version=\"1.0\"?><LogData><Telegram Trace=\"" + QByteArray(16 * 1024 * 1024, 'a'));
    endless.open(QIODevice::ReadOnly);
    TraceFileReader reader;
    reader.setDevice(&endless);
    ASSERT_TRUE(reader.readHeader());
    QString telegram;
    EXPECT_FALSE(reader.readNextTelegram(telegram));
    EXPECT_TRUE(reader.isBroken());
    EXPECT_LT(endless.pos(), 1024 * 1024) << "read no further than a telegram can be long";
}

#include "tracingtest.moc"
