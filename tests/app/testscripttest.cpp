#include "testscript.h"

#include "support/qtprinters.h"
#include "support/tempworkdir.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <limits>

namespace
{

const qint64 T0 = 1700000000000;

struct Replayed
{
    quint16 distance;
    quint8 confidence;
};

// Replays `count` measurements, one every `stepMs`, starting at T0.
std::vector<Replayed> replay(TestScript& script, int count, qint64 stepMs = 33)
{
    std::vector<Replayed> result;
    for (int i = 0; i < count; ++i)
    {
        ObjectRecord record;
        record.photonCountObject = 99; // must be cleared by the replay
        script.replay(record, T0 + i * stepMs);
        EXPECT_EQ(record.distance2, record.distance);
        EXPECT_EQ(record.distance3, record.distance);
        EXPECT_EQ(record.photonCountObject, 0u);
        EXPECT_EQ(record.firstByte, 0u);
        result.push_back({record.distance, record.confidence});
    }
    return result;
}

TestScript loaded(const TempWorkDir& dir, const QByteArray& content)
{
    dir.writeTestData(content);
    TestScript script;
    EXPECT_TRUE(script.load(dir.filePath("test_data.txt")));
    return script;
}

} // namespace

TEST(TestScript, KeepsOnlyObjAndWaitLinesAndReadsTheirFields)
{
    TempWorkDir dir;
    TestScript script = loaded(dir, "# comment\n"
                                    "OBJ,1500,40\n"
                                    "obj,1,1\n"          // keywords are case-sensitive
                                    "  OBJ,7,7\n"        // must start the line
                                    "OBJ,600,100\n"      // confidence modulo 64: 36
                                    "OBJ,abc,x\n"        // non-numbers give 0
                                    "OBJ,-5,-7\n"        // negative fields give 0
                                    "OBJ,70000,63\n"     // beyond 16 bits does not convert
                                    "OBJ,300,20,extra\n" // wrong field count: no effect
                                    "OBJ,400\r\n"        // wrong field count, Windows line end
                                    "OBJ,250,10\r\n");   // Windows line end
    ASSERT_EQ(script.lineCount(), 8);

    const auto played = replay(script, 8);
    const std::vector<std::pair<int, int>> expected = {{1500, 40}, {600, 36}, {0, 0},  {0, 0},
                                                       {0, 63},    {0, 63},   {0, 63}, {250, 10}};
    for (size_t i = 0; i < expected.size(); ++i)
    {
        EXPECT_EQ(played[i].distance, expected[i].first) << "measurement " << i;
        EXPECT_EQ(played[i].confidence, expected[i].second) << "measurement " << i;
    }
}

TEST(TestScript, WaitHoldsTheLastObjectAndAWaitRestartsTheWait)
{
    TempWorkDir dir;
    TestScript script = loaded(dir, "OBJ,500,30\nWAIT,100\nWAIT,100\nOBJ,900,50\n");

    // 0: OBJ 500. 33: WAIT until 133. 66: second WAIT restarts: until 166. 99..165: still waiting on
    // the OBJ,900 line, 500 is repeated. 198: OBJ 900 taken. 231: loops back to OBJ 500, for ever.
    const auto played = replay(script, 8);
    const int expected[] = {500, 500, 500, 500, 500, 500, 900, 500};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(played[i].distance, expected[i]) << "measurement " << i;
}

TEST(TestScript, OddWaitsNeitherSkipLinesNorOverflow)
{
    TempWorkDir dir;
    // A negative wait counts as no wait (it would otherwise skip the next line); a malformed WAIT line
    // is consumed like any other; a huge wait saturates instead of overflowing into the past.
    TestScript script =
        loaded(dir, "OBJ,300,1\nWAIT,-500\nOBJ,400,2\nWAIT\nOBJ,700,3\nWAIT,9223372036854775807\n"
                    "OBJ,800,4\n");
    const auto played = replay(script, 12);
    const int expected[] = {300, 300, 400, 400, 700, 700, 700, 700, 700, 700, 700, 700};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(played[i].distance, expected[i]) << "measurement " << i;
}

TEST(TestScript, MissingEmptyOrBinaryFilesGiveZeroRecords)
{
    TempWorkDir dir;
    TestScript missing;
    EXPECT_FALSE(missing.load(dir.filePath("no_such_file.txt")));
    EXPECT_EQ(replay(missing, 1)[0].distance, 0);

    TestScript empty = loaded(dir, "");
    EXPECT_EQ(empty.lineCount(), 0);
    EXPECT_EQ(replay(empty, 1)[0].distance, 0);

    QByteArray binary;
    for (int i = 0; i < 100000; ++i)
        binary.append(char((i * 7919) % 256));
    TestScript junk = loaded(dir, binary);
    for (const Replayed& played : replay(junk, 50))
        EXPECT_LE(played.confidence, 63);
}

TEST(TestScript, VeryLargeFilesAndOverlongLinesAreBounded)
{
    TempWorkDir dir;
    // An overlong line that happens to start like a script line is dropped whole, and reading stops
    // after MAX_FILE_BYTES however large the file is.
    QByteArray content = "OBJ,1," + QByteArray(TestScript::MAX_LINE_LENGTH * 3, '9') + "\nOBJ,42,1\n";
    const int prefixSize = content.size();
    const QByteArray filler = "OBJ,100,10\n";
    while (content.size() < TestScript::MAX_FILE_BYTES + 1000)
        content += filler;
    content += "OBJ,4242,1\n";
    TestScript script = loaded(dir, content);

    EXPECT_LE(script.lineCount(), int(TestScript::MAX_FILE_BYTES / filler.size()) + 1);
    EXPECT_GE(script.lineCount(), int((TestScript::MAX_FILE_BYTES - prefixSize) / filler.size()));
    EXPECT_EQ(replay(script, 1)[0].distance, 42);
}

TEST(TestScript, WorkingFolderScriptWinsOverTheInstalledOne)
{
    // A prefix laid out as the package installs it, with the program in its bin folder.
    TempWorkDir dir;
    const QString bin = dir.filePath("prefix/bin");
    const QString installed = QDir::cleanPath(bin + "/" LIDORA_SCRIPT_FROM_BINDIR "/test_data.txt");
    const QString home = dir.filePath("home");
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(QFileInfo(installed).path()) && QDir().mkpath(home));
    const QString local = QDir(home).filePath("test_data.txt");

    EXPECT_EQ(TestScript::locate(home, bin), local); // neither: the working folder's is reported missing
    dir.writeFile(QDir(dir.path()).relativeFilePath(installed), "OBJ,1,1\n");
    EXPECT_EQ(TestScript::locate(home, bin), installed);
    dir.writeFile("home/test_data.txt", "OBJ,2,2\n");
    EXPECT_EQ(TestScript::locate(home, bin), local);
}
