// Telegram texts and trace files as they come from disks, editors and other programs: broken, hostile or
// merely wrong. Nothing may crash, and nothing that could not be read completely may reach the board.
#include "telegramtestsupport.h"

#include "support/scriptedcomdriver.h"

#include "Communication/commandinfo.h"
#include "Communication/comstream.h"
#include "Tracing/tracefilereader.h"
#include "Tracing/traceplayer.h"
#include "Tracing/traceprogrammer.h"

#include <QBuffer>
#include <QSignalSpy>

#include <memory>

using namespace NoxCore::Communication;
using namespace NoxCore::Tracing;

namespace
{

const int DEEP = 100000;

const QString WRITE_ATTRIBUTES =
    QStringLiteral("Pid=\"61\" CallingType=\"FireAndForget\" TelegramType=\"Request\" Trace=\"08000000\"");

QString writeTelegramWith(const QString& attributes, const QString& parameters)
{
    return QStringLiteral("<Telegram %1><I2cWriteRegister>%2</I2cWriteRegister></Telegram>")
        .arg(attributes, parameters);
}

QString parameters(const QString& address)
{
    return QStringLiteral("<SlaveAddress>40</SlaveAddress><AddressSize>1</AddressSize><Address>%1</Address>"
                          "<DataSize>1</DataSize><Data>2</Data>")
        .arg(address);
}

QString nested(const QString& name, int depth)
{
    return QString("<%1>").arg(name).repeated(depth) + QString("</%1>").arg(name).repeated(depth);
}

const QString UNKNOWN_COMMAND =
    QStringLiteral("<Telegram %1><I2cTeleport/></Telegram>").arg(WRITE_ATTRIBUTES);
const QString ENORMOUS = writeTelegramWith(WRITE_ATTRIBUTES, parameters(QString(4 * 1024 * 1024, '0')));

using BadInput = TraceFileTest;

} // namespace

// Every way in (trace files, edited programs, the viewer) converts through the same reader; the recorder's
// refusal of a broken text is with the recorder.
TEST_F(BadInput, TelegramTextsThatAreNotWholeTelegramsConvertToNothing)
{
    const struct
    {
        const char* what;
        QString text;
        // Unknown commands and bad values are still telegrams a person can look at and mend.
        bool isStillATelegram;
    } cases[] = {
        {"truncated", writeTelegram(0x02, 2).left(120), false},
        {"not XML", QStringLiteral("Address=2, please"), false},
        {"empty", QString(), false},
        {"binary", QString::fromLatin1("\x01\x7f<\x02\xff", 5), false},
        {"deeply nested parameter", writeTelegramWith(WRITE_ATTRIBUTES, nested("Address", DEEP)), false},
        {"deeply nested command", writeTelegramWith(WRITE_ATTRIBUTES, nested("Deeper", DEEP)), false},
        {"enormous", ENORMOUS, false},
        {"duplicate attribute", writeTelegramWith(WRITE_ATTRIBUTES + " Trace=\"1\"", parameters("2")), false},
        {"duplicate parameter", writeTelegramWith(WRITE_ATTRIBUTES, parameters("2") + "<Address>3</Address>"),
         false},
        {"two commands", writeTelegram(0x02, 2).replace("</Telegram>", "<StreamFlush/></Telegram>"), false},
        {"trailing element", writeTelegram(0x02, 2) + "<Telegram/>", false},
        {"entity from a document type",
         "<!DOCTYPE Telegram [<!ENTITY a \"2\">]>" + writeTelegramWith(WRITE_ATTRIBUTES, parameters("&a;")),
         false},
        {"unknown command", UNKNOWN_COMMAND, true},
        {"non-hexadecimal value", writeTelegramWith(WRITE_ATTRIBUTES, parameters("1z")), true},
    };
    for (const auto& bad : cases)
    {
        SCOPED_TRACE(bad.what);
        EXPECT_EQ(std::unique_ptr<IComObject>(manager->convertToComObject(bad.text)), nullptr);
        EXPECT_EQ(std::unique_ptr<CommandInfo>(manager->convertToCommandInfo(bad.text)) != nullptr,
                  bad.isStillATelegram);
    }
}

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
         traceFile({first, writeTelegramWith(WRITE_ATTRIBUTES, parameters("&d;")), last})
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
            EXPECT_FALSE(player.playNext()) << "a broken file gives nothing more";

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
