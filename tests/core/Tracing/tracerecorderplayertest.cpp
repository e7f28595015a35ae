#include "telegramtestsupport.h"

#include "support/scriptedcomdriver.h"

#include "Communication/comstream.h"
#include "Tracing/telegramfilter.h"
#include "Tracing/traceplayer.h"
#include "Tracing/tracer.h"
#include "Tracing/tracerecorder.h"
#include "Tracing/traceviewer.h"

#include <QDomDocument>
#include <QFileInfo>
#include <QSignalSpy>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

using namespace NoxCore::Communication;
using namespace NoxCore::Tracing;

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

TEST_F(TraceFileTest, TracerRecordsWhatTheViewerLeavesOutAndFailsWithoutAFile)
{
    Tracer tracer;
    tracer.viewer()->setNegativeFilter(0x10000);
    EXPECT_FALSE(tracer.trace(writeTelegram(0x10, 1, 0x08000000)));
    EXPECT_EQ(tracer.viewer()->getTracedProperties()->size(), 1) << "the viewer took it all the same";

    ASSERT_TRUE(tracer.recorder()->open(fileName));
    EXPECT_TRUE(tracer.trace(writeTelegram(0x11, 2, 0x10001)));
    EXPECT_TRUE(tracer.recorder()->close());
    EXPECT_EQ(tracer.viewer()->getTracedProperties()->size(), 1);
    QList<QString> recorded;
    ASSERT_TRUE(TracePlayer::readTelegrams(fileName, &recorded));
    EXPECT_EQ(recorded, QList<QString>({writeTelegram(0x11, 2, 0x10001)}));
}

TEST_F(TraceFileTest, RecorderReplacesTheFileWithAWellFormedTraceOfWhatPassesItsFilter)
{
    writeTraceFile("old content that must go");
    TraceRecorder recorder;
    QSignalSpy enabled(&recorder, &TraceRecorder::enabledChanged);
    EXPECT_FALSE(recorder.setEnabled(true)) << "nothing to record into";
    ASSERT_TRUE(recorder.open(fileName));
    QList<QString> none;
    bool cutShort = false;
    EXPECT_TRUE(TracePlayer::readTelegrams(fileName, &none, &cutShort) && cutShort)
        << "fault: the header waited for the first telegram, so a run without one left an empty file";
    recorder.setFilter(I2C_TRACE);

    EXPECT_TRUE(recorder.trace(writeTelegram(0x10, 0xab)));
    const QByteArray afterOne = traceFileContent();
    EXPECT_TRUE(recorder.trace(writeTelegram(0x10, 0xab, 0x40000000))) << "filtered out is not a failure";
    EXPECT_EQ(traceFileContent(), afterOne) << "every telegram is on the disk at once, nothing else is";
    EXPECT_FALSE(recorder.trace("<Telegram Trace=\"08000000\"><I2cWriteRegister>")) << "a broken text";
    EXPECT_EQ(traceFileContent(), afterOne);
    EXPECT_TRUE(recorder.trace(readTelegram(0x90, 0x8e, RESPONSE)));
    EXPECT_TRUE(recorder.close());
    EXPECT_FALSE(recorder.trace(writeTelegram(0x10, 0xab)));

    QDomDocument document;
    ASSERT_TRUE(document.setContent(traceFileContent()));
    EXPECT_EQ(document.doctype().name(), "LogData");
    EXPECT_EQ(document.documentElement().elementsByTagName("Telegram").size(), 2);
    EXPECT_EQ(enabled.size(), 2);

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

TEST_F(TraceFileTest, PlayerSendsRequestsSkipsResponsesAndKnowsTheEnd)
{
    writeTraceFile(traceFile(
        {writeTelegram(0x10, 0xab), readTelegram(0x90, 0x8e, RESPONSE), writeTelegram(0x11, 0xcd)}));
    ScriptedComDriver driver;
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
    TracePlayer player(nullptr, &stream);
    QSignalSpy playedNext(&player, &TracePlayer::playedNext);
    ASSERT_TRUE(player.open(fileName));

    bool skipped = true;
    EXPECT_TRUE(player.playNext(&skipped));
    EXPECT_FALSE(skipped);
    EXPECT_EQ(driver.written(), QByteArray::fromHex("e1000300008010ab"));
    EXPECT_TRUE(player.playNext(&skipped));
    EXPECT_TRUE(skipped) << "the live board answers instead";
    EXPECT_FALSE(player.isEndOfFile());

    ASSERT_TRUE(player.reset());
    EXPECT_TRUE(player.playToEnd());
    EXPECT_TRUE(player.isEndOfFile());
    EXPECT_EQ(driver.written(), QByteArray::fromHex("e1000300008010ab e1000300008010ab e1000300008011cd"));
    EXPECT_EQ(playedNext.size(), 2 + 4) << "three telegrams and the end";
    EXPECT_FALSE(player.open(fileName)) << "already open";
}

TEST_F(TraceFileTest, PlayerHandsAnsweredRequestsToItsResultDelegate)
{
    ScriptedComDriver driver;
    driver.addAnswer(0x61, 0, QByteArray::fromHex("8e"));
    ComStream stream(&driver, ComStream::theLateFlushPolicy);
    TracePlayer player(nullptr, &stream);
    ResultReceiver receiver;
    player.resultDelegate.set(&receiver, SLOT(onPlayerResults(QList<NoxCore::Communication::IComObject*>*)));

    const QString request = readTelegram(0x90, 0, REQUEST);
    EXPECT_TRUE(player.playSingleTelegram(request));
    EXPECT_EQ(receiver.values, QList<unsigned int>({0x8e}));
    EXPECT_FALSE(stream.isResultPending());
}

// Fault guarded: a player that went away (or changed executor) while the stream still held the requests it
// sent deleted them under the stream, which wrote the answers into freed memory at its next flush.
TEST_F(TraceFileTest, PlayerLetsTheStreamAnswerWhatItSentBeforeLettingGo)
{
    writeTraceFile(traceFile({readTelegram(0x90, 0, REQUEST)}));
    ScriptedComDriver driver;
    driver.addAnswer(0x61, 0, QByteArray::fromHex("8e"));
    ComStream stream(&driver, ComStream::theLateFlushPolicy);
    {
        TracePlayer player(nullptr, &stream);
        ASSERT_TRUE(player.open(fileName));
        ASSERT_TRUE(player.playNext());
        EXPECT_TRUE(stream.isResultPending());
    }
    EXPECT_FALSE(stream.isResultPending());
    stream.flush();
    EXPECT_EQ(driver.unreadAnswerBytes(), QByteArray());
}

TEST_F(TraceFileTest, PlayerOpensFilesOfAnotherVersionButRefusesThem)
{
    writeTraceFile(traceFile({writeTelegram(0x10, 0xab)}, "1.1"));
    TracePlayer player;
    EXPECT_FALSE(player.open(fileName));
    EXPECT_TRUE(player.isOpen());
    player.close();
    EXPECT_FALSE(player.isOpen());

    writeTraceFile(traceFile({}));
    QList<QString> telegrams;
    EXPECT_TRUE(TracePlayer::readTelegrams(fileName, &telegrams));
    EXPECT_TRUE(telegrams.isEmpty());
    EXPECT_FALSE(TracePlayer::readTelegrams(folder.filePath("missing.xml"), &telegrams));
}

#include "tracerecorderplayertest.moc"
