// Telegram texts and trace files as they come from disks, editors and other programs: broken, hostile or
// merely wrong. Nothing may crash, and nothing that could not be read completely may reach the board.
#include "telegramtestsupport.h"

#include "support/scriptedcomdriver.h"

#include "Communication/commandinfo.h"
#include "Communication/comstream.h"
#include "Tracing/tracefilereader.h"
#include "Tracing/traceplayer.h"
#include "Tracing/traceprogrammer.h"
#include "Tracing/tracerecorder.h"

#include <QDomDocument>
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

QString nonHexadecimal()
{
    return writeTelegramWith(WRITE_ATTRIBUTES, parameters("1z"));
}

QString unknownCommand()
{
    return QStringLiteral("<Telegram %1><I2cTeleport/></Telegram>").arg(WRITE_ATTRIBUTES);
}

struct BadTelegram
{
    const char* what;
    QString text;
    // Unknown commands and bad values are still telegrams a person can look at and mend.
    bool isStillATelegram;
};

// Made inside the tests: the texts come from com objects, which need the command manager.
QList<BadTelegram> badTelegrams()
{
    return {
        {"truncated", writeTelegram(0x02, 2).left(120), false},
        {"not XML", QStringLiteral("Address=2, please"), false},
        {"empty", QString(), false},
        {"binary", QString::fromLatin1("\x01\x7f<\x02\xff", 5), false},
        {"deeply nested parameter", writeTelegramWith(WRITE_ATTRIBUTES, nested("Address", DEEP)), false},
        {"deeply nested command", writeTelegramWith(WRITE_ATTRIBUTES, nested("Deeper", DEEP)), false},
        {"enormous", writeTelegramWith(WRITE_ATTRIBUTES, parameters(QString(4 * 1024 * 1024, '0'))), false},
        {"duplicate attribute", writeTelegramWith(WRITE_ATTRIBUTES + " Trace=\"1\"", parameters("2")), false},
        {"duplicate parameter", writeTelegramWith(WRITE_ATTRIBUTES, parameters("2") + "<Address>3</Address>"),
         false},
        {"two commands", writeTelegram(0x02, 2).replace("</Telegram>", "<StreamFlush/></Telegram>"), false},
        {"trailing element", writeTelegram(0x02, 2) + "<Telegram/>", false},
        {"entity from a document type",
         "<!DOCTYPE Telegram [<!ENTITY a \"2\">]>" + writeTelegramWith(WRITE_ATTRIBUTES, parameters("&a;")),
         false},
        {"unknown command", unknownCommand(), true},
        {"non-hexadecimal value", nonHexadecimal(), true},
    };
}

using BadInput = TraceFileTest;

// A trace file whose telegram opens an attribute that goes on for a TiB, served as it is read.
class EndlessAttribute : public QIODevice
{
public:
    EndlessAttribute() { open(QIODevice::ReadOnly); }
    qint64 size() const override { return qint64(1) << 40; }
    qint64 served = 0;

protected:
    qint64 readData(char* data, qint64 size) override
    {
        const QByteArray start = "<?xml version=\"1.0\"?><LogData><Telegram Trace=\"";
        for (qint64 index = 0; index < size; ++index, ++served)
            data[index] = served < start.size() ? start.at(int(served)) : 'a';
        return size;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

} // namespace

TEST_F(BadInput, TelegramTextsThatAreNotWholeTelegramsConvertToNothing)
{
    TraceRecorder recorder;
    ASSERT_TRUE(recorder.open(fileName));
    CommandInfo writeInfo("I2cWriteRegister");
    writeInfo.addProperty("Address", "7", "hex", false);
    for (const BadTelegram& bad : badTelegrams())
    {
        SCOPED_TRACE(bad.what);
        EXPECT_EQ(std::unique_ptr<IComObject>(manager->convertToComObject(bad.text)), nullptr);
        EXPECT_EQ(std::unique_ptr<CommandInfo>(manager->convertToCommandInfo(bad.text)) != nullptr,
                  bad.isStillATelegram);
        if (bad.isStillATelegram)
            continue;
        EXPECT_EQ(CommandManager::getTelegramType(&bad.text), CommandManager::TELEGRAM_TYPE_UNKNOWN);
        QString text = bad.text;
        EXPECT_FALSE(manager->updateTelegram(&text, &writeInfo));
        EXPECT_EQ(text, bad.text);
        recorder.trace(bad.text);
    }
    recorder.close();
    QDomDocument document;
    ASSERT_TRUE(document.setContent(traceFileContent()));
    EXPECT_EQ(document.documentElement().elementsByTagName("Telegram").size(), 0)
        << "nothing of a broken text reaches the file";
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
        {"enormous",
         traceFile(
             {first, writeTelegramWith(WRITE_ATTRIBUTES, parameters(QString(4 * 1024 * 1024, '0'))), last}),
         firstFrame, Broken, 0},
        {"exponential entities",
         traceFile({first, writeTelegramWith(WRITE_ATTRIBUTES, parameters("&d;")), last})
             .replace("<!DOCTYPE LogData>", laughs),
         firstFrame, Broken, 0},
        {"unknown command", traceFile({first, unknownCommand(), last}), firstFrame, WellFormed, 0},
        {"missing attribute",
         traceFile({first, QString(first).remove("CallingType=\"FireAndForget\""), last}), firstFrame,
         WellFormed, 0},
    };
    for (const auto& testCase : cases)
    {
        SCOPED_TRACE(testCase.what);
        writeTraceFile(testCase.file);
        ScriptedComDriver driver;
        ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
        TracePlayer player(nullptr, &stream);
        ASSERT_TRUE(player.open(fileName));
        EXPECT_FALSE(player.playToEnd());
        EXPECT_EQ(driver.written().toHex(), testCase.frames.toHex());
        if (testCase.reading != WellFormed)
        {
            EXPECT_FALSE(player.playNext()) << "a broken file gives nothing more";
        }

        QList<QString> telegrams;
        EXPECT_EQ(TracePlayer::readTelegrams(fileName, &telegrams), testCase.reading != Broken);
        TraceProgrammer programmer;
        QSignalSpy cutShort(&programmer, &TraceProgrammer::programCutShort);
        TracePlayer loader;
        programmer.setPlayer(&loader);
        programmer.addCommand(manager->convertToCommandInfo(last));
        EXPECT_EQ(programmer.loadProgram(fileName), testCase.reading == CutShort);
        EXPECT_EQ(programmer.getAllCommands()->size(), testCase.reading == CutShort ? testCase.loaded : 1);
        EXPECT_EQ(cutShort.size(), int(testCase.reading == CutShort));
    }

    // Fault: the text limit applied only once a token was read whole, so one endless token filled the memory.
    EndlessAttribute endless;
    TraceFileReader reader;
    reader.setDevice(&endless);
    ASSERT_TRUE(reader.readHeader());
    QString telegram;
    EXPECT_FALSE(reader.readNextTelegram(telegram));
    EXPECT_TRUE(reader.isBroken());
    EXPECT_LT(endless.served, 1024 * 1024);

    writeTraceFile("\x89PNG\r\n\x1a\n not a trace at all");
    TracePlayer player;
    EXPECT_FALSE(player.open(fileName));
}
