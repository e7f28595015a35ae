#include "testscript.h"

#include "support/qtprinters.h"
#include "support/tempworkdir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

const qint64 T0 = 1700000000000;

using Values = std::vector<int>;

// The distances of `count` measurements, one every 33 ms from T0, and their confidences.
Values replay(TestScript& script, int count, Values* confidences = nullptr)
{
    Values distances;
    for (int i = 0; i < count; ++i)
    {
        ObjectRecord record;
        record.photonCountObject = 99; // must be cleared by the replay
        script.replay(record, T0 + i * 33);
        EXPECT_EQ(record.distance2, record.distance);
        EXPECT_EQ(record.distance3, record.distance);
        EXPECT_EQ(record.photonCountObject, 0u);
        EXPECT_EQ(record.firstByte, 0u);
        distances.push_back(record.distance);
        if (confidences != nullptr)
            confidences->push_back(record.confidence);
    }
    return distances;
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
    Values confidences;
    EXPECT_EQ(replay(script, 8, &confidences), Values({1500, 600, 0, 0, 0, 0, 0, 250}));
    EXPECT_EQ(confidences, Values({40, 36, 0, 0, 63, 63, 63, 10}));
}

TEST(TestScript, WaitsHoldTheLastObjectNeitherSkipLinesNorOverflow)
{
    TempWorkDir dir;
    // 0: OBJ 500. 33: WAIT until 133. 66: the second WAIT restarts: until 166. 99..165: still waiting on
    // the OBJ,900 line, 500 is repeated. 198: OBJ 900 taken. 231: loops back to OBJ 500, for ever.
    TestScript restarted = loaded(dir, "OBJ,500,30\nWAIT,100\nWAIT,100\nOBJ,900,50\n");
    EXPECT_EQ(replay(restarted, 8), Values({500, 500, 500, 500, 500, 500, 900, 500}));
    // A negative wait counts as no wait (it would otherwise skip the next line); a malformed WAIT line
    // is consumed like any other; a huge wait saturates instead of overflowing into the past.
    TestScript odd = loaded(
        dir, "OBJ,300,1\nWAIT,-500\nOBJ,400,2\nWAIT\nOBJ,700,3\nWAIT,9223372036854775807\nOBJ,800,4\n");
    EXPECT_EQ(replay(odd, 12), Values({300, 300, 400, 400, 700, 700, 700, 700, 700, 700, 700, 700}));
}

TEST(TestScript, MissingEmptyOrBinaryFilesGiveZeroRecordsAndHugeOnesAreBounded)
{
    TempWorkDir dir;
    TestScript missing;
    EXPECT_FALSE(missing.load(dir.filePath("no_such_file.txt")));
    EXPECT_EQ(replay(missing, 1), Values{0});

    TestScript empty = loaded(dir, "");
    EXPECT_EQ(replay(empty, 1), Values{0});

    QByteArray binary;
    for (int i = 0; i < 100000; ++i)
        binary.append(char((i * 7919) % 256));
    TestScript junk = loaded(dir, binary);
    Values confidences;
    replay(junk, 50, &confidences);
    EXPECT_LE(*std::max_element(confidences.begin(), confidences.end()), 63);

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
    EXPECT_EQ(replay(script, 1), Values{42});
}
