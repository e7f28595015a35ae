#include "measurementrecorder.h"
#include "recordingformat.h"
#include "recordingplayer.h"
#include "recordingreader.h"

#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/rawclient.h"
#include "support/tempworkdir.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{

const qint64 T0 = 1700000000000;

MeasurementSample sampleAt(qint64 timeMs, quint16 distance)
{
    MeasurementSample sample;
    sample.timeMs = timeMs;
    sample.hasObject = distance != 0;
    sample.rawDistance = distance;
    sample.rawConfidence = 40;
    sample.medianDistance = distance;
    return sample;
}

QByteArray rowAt(qint64 timeMs, quint16 distance = 500)
{
    return RecordingFormat::row(sampleAt(timeMs, distance), 3600);
}

int rowsIn(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll().count("\r\n") - 1;
}

} // namespace

TEST(Recording, ColumnsAreThePromisedOnesAndAGapLeavesTheObjectFieldsEmpty)
{
    // Files people keep depend on this order: columns are only ever added at the end.
    EXPECT_EQ(RecordingFormat::header(),
              "time,time_ms,raw_distance_mm,median_distance_mm,raw_confidence,smoothed_confidence,"
              "photon_count_reference,photon_count_object,movement,object_state,screen_saver,source,"
              "exchange,original_time_ms\r\n");
    MeasurementSample gap = sampleAt(T0 + 5, 0);
    gap.medianDistance = 512;
    gap.smoothedConfidence = 12.25;
    gap.exchangeFailed = true;
    gap.source = MeasurementSource::SimulatedBoard;
    EXPECT_EQ(RecordingFormat::row(gap, 3600), "2023-11-14T23:13:20.005+01:00,1700000000005,,512,,12.250,,,"
                                               "0.000,STATE_NO_OBJECT,SCREEN_SAVER_OFF,simulated board,"
                                               "failed,\r\n");
    // A replayed sample is written at the time it was shown, with its time in the recording played.
    MeasurementSample replayed = sampleAt(T0 + 60000, 500);
    replayed.source = MeasurementSource::Recording;
    replayed.originalTimeMs = T0 - 5;
    EXPECT_TRUE(RecordingFormat::row(replayed, -5400).endsWith(",recording,ok,1699999999995\r\n"));
    EXPECT_TRUE(RecordingFormat::row(replayed, -5400).startsWith("2023-11-14T20:44:20.000-01:30,"));
}

namespace
{

// Reads the file through the reader's entry point to its end: the error, or the number of rows read.
QString readWhole(const QString& path, std::vector<MeasurementSample>* samples = nullptr)
{
    RecordingReader reader;
    MeasurementSample sample;
    if (reader.open(path))
        while (reader.next(sample))
            if (samples != nullptr)
                samples->push_back(sample);
    return reader.hasFailed() ? reader.errorString() : QStringLiteral("%1 rows").arg(reader.rowCount());
}

} // namespace

TEST(Recording, TheReaderTakesWhatTheRecorderAndEditorsWriteAndRefusesAnythingElseWithItsLine)
{
    const QByteArray header = RecordingFormat::header();
    const QByteArray row = rowAt(T0);
    const QByteArray failed = RecordingFormat::row(
        []
        {
            MeasurementSample sample = sampleAt(T0 + 33, 0);
            sample.exchangeFailed = true;
            return sample;
        }(),
        3600);
    // The recorder's row with one edit.
    const auto edited = [&](const char* from, const char* to)
    { return header + QByteArray(row).replace(from, to); };
    const QByteArray firstVersionHeader = header.left(header.indexOf(",original_time_ms")) + "\r\n";
    const struct
    {
        const char* what;
        QByteArray content;
        const char* result; // "N rows", or a part of the message
    } cases[] = {
        {"empty", "", "Cannot play run.csv: the file is empty."},
        {"other header", "time;distance\r\n" + row, "run.csv, line 1: not a recording: the first line"},
        {"only the header", header, "run.csv: no measurements after the header."},
        {"only blank lines after the header", header + "\r\n\r\n", "no measurements after the header."},
        {"fields missing", header + row + "2023-11-14,1700000000040,500\r\n",
         "line 3: 3 fields, the header has 14."},
        {"fields added", edited("\r\n", ",x\r\n"), "line 2: 15 fields, the header has 14."},
        {"letters", edited(",500,", ",5OO,"), "line 2: raw_distance_mm \"5OO\" is not"},
        {"fraction", edited(",500,", ",500.7,"), "raw_distance_mm \"500.7\" is not"},
        {"exponent", edited(",500,", ",1e3,"), "raw_distance_mm \"1e3\" is not"},
        {"blanks", edited(",500,", ",\" 500 \","), "raw_distance_mm \" 500 \" is not"},
        {"exponent in a derived field", edited(",500,40", ",5e2,40"),
         "median_distance_mm \"5e2\" is not a number"},
        {"unknown state", edited("STATE_NO_OBJECT", "STATE_SLEEPY"),
         "line 2: object_state \"STATE_SLEEPY\" is not a known value."},
        {"failed with a distance", edited(",ok,", ",failed,"),
         "line 2: a failed exchange has no raw_distance_mm."},
        {"confidence without a distance", edited(",500,500,", ",,500,"),
         "line 2: raw_distance_mm, raw_confidence and the photon counts are empty only together, but "
         "raw_confidence is not empty."},
        {"time that is no time", edited("2023-11-14T23", "2023-11-14 23"),
         "line 2: time \"2023-11-14 23:13:20.000+01:00\" is not a time like"},
        {"no such day", edited("2023-11-14", "2023-02-30"), "line 2: time \"2023-02-30"},
        {"time against time_ms", edited("23:13:20.000+01", "23:13:20.000+02"),
         "line 2: time 2023-11-14T23:13:20.000+02:00 is not the time of time_ms 1700000000000."},
        {"1025 characters", header + QByteArray(1025, '7') + "\r\n", "line 2: longer than 1024 characters."},
        {"zero bytes", QByteArray(100, '\0'), "line 1: holds zero bytes"},
        {"time going back", header + rowAt(T0 + 33) + row, "line 3: the time goes back."},
        {"blank line among the rows", header + row + "\r\n" + rowAt(T0 + 33),
         "line 3: an empty line among the rows."},
        // Accepted: what editors, spreadsheets, the first version and later ones write.
        {"a blank line at the end", header + row + failed + "\r\n", "2 rows"},
        {"LF only, no line end at the end",
         QByteArray(header + row + failed).replace("\r\n", "\n").chopped(1), "2 rows"},
        {"first version", firstVersionHeader + QByteArray(row).replace(",ok,\r\n", ",ok\r\n"), "1 rows"},
        {"later version with a byte order mark and quotes",
         "\xEF\xBB\xBF" + header.left(header.size() - 2) + ",later\r\n" +
             "\"2023-11-14T23:13:20.000+01:00\",1700000000000,500,500,40,0,1,2,0,STATE_OBJECT_FAR,"
             "SCREEN_SAVER_ON,board,ok,,\"x,\"\"y\"\"\"\r\n",
         "1 rows"},
    };
    TempWorkDir dir;
    for (const auto& c : cases)
    {
        dir.writeFile("run.csv", c.content);
        EXPECT_TRUE(readWhole(dir.filePath("run.csv")).contains(QLatin1String(c.result)))
            << c.what << ": " << readWhole(dir.filePath("run.csv")).toStdString();
    }

    // The longest line a row may have fits, with CR LF as with LF.
    const QByteArray later = header.left(header.size() - 2) + ",note\r\n";
    QByteArray longest = row.left(row.size() - 2) + ',';
    longest += QByteArray(RecordingFormat::MAX_LINE_LENGTH - longest.size(), 'x');
    for (const QByteArray& lineEnd : {QByteArray("\r\n"), QByteArray("\n")})
    {
        dir.writeFile("run.csv", later + longest + lineEnd);
        EXPECT_EQ(readWhole(dir.filePath("run.csv")), "1 rows") << lineEnd.size();
    }
    std::vector<MeasurementSample> samples;
    dir.writeFile("run.csv", later + longest + "\r\n");
    readWhole(dir.filePath("run.csv"), &samples);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples.front().rawDistance, 500);
    EXPECT_EQ(samples.front().photonCountObject, 0u);
}

TEST(Recording, RowsReachTheFileWithinASecondAndAllOfThemOnStop)
{
    TempWorkDir dir;
    ManualClock clock(T0);
    const QString path = dir.filePath("run.csv");
    MeasurementRecorder recorder;
    ASSERT_TRUE(recorder.start(path, false));
    for (int i = 0; i < 40; ++i)
    {
        recorder.record(sampleAt(clock.now(), 500));
        clock.advance(33);
    }
    EXPECT_GE(rowsIn(path), 40 - 1000 / 33) << "at most a second of rows waits in memory";
    // A second recording, even one allowed to replace its file, leaves the running one alone.
    EXPECT_FALSE(recorder.start(path, true));
    EXPECT_EQ(recorder.errorString(), "a recording to " + path + " runs already");
    recorder.stop();
    EXPECT_EQ(rowsIn(path), 40);
    EXPECT_EQ(recorder.lengthMs(), 39 * 33);
}

TEST(Recording, FilesThatCannotBeWrittenStopTheRecordingAndKeepWholeRows)
{
    TempWorkDir dir;
    dir.writeFile("kept.csv", "earlier work\n");
#ifndef _WIN32
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString fifoWithReader = dir.filePath("read fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifoWithReader).constData(), 0600), 0);
    const int reader = ::open(QFile::encodeName(fifoWithReader).constData(), O_RDONLY | O_NONBLOCK);
#endif
    // A FIFO or a device would hang the program in open() or write(): refused at once, before either.
    const struct
    {
        QString path;
        bool replace;
        const char* message;
    } refused[] = {
        {dir.filePath("kept.csv"), false, "kept.csv exists already"},
#ifndef _WIN32
        {"/dev/full", true, "/dev/full is not a regular file"},
        {fifo, true, "fifo is not a regular file"},
        {fifoWithReader, true, "read fifo is not a regular file"},
        {dir.filePath("no/such/folder/run.csv"), false, "run.csv: No such file or directory"},
#else
        {dir.filePath("no/such/folder/run.csv"), false, "run.csv: "},
#endif
        {dir.path(), true, " is not a regular file"},
        {dir.path(), false, " is not a regular file"},
    };
    for (const auto& c : refused)
    {
        MeasurementRecorder recorder;
        EXPECT_FALSE(recorder.start(c.path, c.replace)) << c.message;
        EXPECT_TRUE(recorder.errorString().contains(QLatin1String(c.message)))
            << recorder.errorString().toStdString();
        EXPECT_EQ(recorder.refusedExisting(), c.path.endsWith("kept.csv")) << c.message;
    }
#ifndef _WIN32
    ::close(reader);
    EXPECT_EQ(readWhole(fifo), "Cannot play fifo: not a regular file.");
    EXPECT_EQ(readWhole("/dev/zero"), "Cannot play zero: not a regular file.");
#endif
    QFile kept(dir.filePath("kept.csv"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "earlier work\n");

    ManualClock clock(T0);
#ifndef _WIN32
    // A disk that fills up in the middle of a row after two rows: those stay, the part of the third is cut
    // off, the recording stops with the system's reason, and the file still plays.
    const QString fullPath = dir.filePath("full.csv");
    MeasurementRecorder full;
    QSignalSpy failed(&full, &MeasurementRecorder::failed);
    ASSERT_TRUE(full.start(fullPath, false));
    const auto recordTwice = [&]
    {
        full.record(sampleAt(clock.now(), 500));
        clock.advance(MeasurementRecorder::FLUSH_INTERVAL_MS);
        full.record(sampleAt(clock.now(), 500));
    };
    recordTwice();
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit filled{rlim_t(QFileInfo(fullPath).size() + rowAt(T0).size() / 2), limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &filled);
    recordTwice();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed.first().first().toString(),
              "Recording stopped: cannot write " + fullPath + ": File too large");
    EXPECT_FALSE(full.isRecording());
    EXPECT_EQ(full.rowCount(), 2);
    EXPECT_EQ(readWhole(fullPath), "2 rows");
#endif

    // A file deleted under the running recording.
    MeasurementRecorder removed;
    ASSERT_TRUE(removed.start(dir.filePath("gone.csv"), false));
    QSignalSpy removedFailed(&removed, &MeasurementRecorder::failed);
#ifdef _WIN32
    // Windows refuses to delete a file that is open for writing: the recording goes on.
    EXPECT_FALSE(QFile::remove(dir.filePath("gone.csv")));
    removed.record(sampleAt(clock.now(), 500));
    removed.stop();
    EXPECT_EQ(removedFailed.count(), 0);
    EXPECT_EQ(rowsIn(dir.filePath("gone.csv")), 1);
#else
    QFile::remove(dir.filePath("gone.csv"));
    removed.record(sampleAt(clock.now(), 500));
    removed.stop();
    ASSERT_EQ(removedFailed.count(), 1);
    EXPECT_TRUE(removedFailed.first().first().toString().endsWith("the file was removed"));
#endif
}

// 3000 samples due at once, then a pause of ten years: the event loop gets its turns in between, the pause
// is shortened, and a recording made of the replay has times that go forward and plays again.
TEST(Recording, AReplayGoesOutInSlicesShortensLongPausesAndIsRecordedAgainInItsOwnTime)
{
    TempWorkDir dir;
    const qint64 TEN_YEARS_MS = 3652LL * 24 * 3600 * 1000;
    QByteArray content = RecordingFormat::header();
    for (int i = 0; i < 3000; ++i)
        content += rowAt(T0);
    content += rowAt(T0 + TEN_YEARS_MS) + rowAt(T0 + TEN_YEARS_MS + 33);
    dir.writeFile("run.csv", content);

    ManualClock clock(T0 + 2 * TEN_YEARS_MS);
    const qint64 startMs = clock.now();
    RecordingPlayer player;
    MeasurementRecorder recorder;
    ASSERT_TRUE(recorder.start(dir.filePath("again.csv"), false));
    QObject::connect(&player, &RecordingPlayer::sampleDue, &recorder, &MeasurementRecorder::record);
    QSignalSpy started(&player, &RecordingPlayer::started);
    QSignalSpy finished(&player, &RecordingPlayer::finished);
    int sinceTurn = 0;
    int mostBetweenTurns = 0;
    QObject::connect(&player, &RecordingPlayer::sampleDue,
                     [&] { mostBetweenTurns = std::max(mostBetweenTurns, ++sinceTurn); });
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, [&] { sinceTurn = 0; });
    turns.start(0);

    EXPECT_FALSE(player.play(dir.filePath("missing.csv")));
    ASSERT_TRUE(player.play(dir.filePath("run.csv")));
    ASSERT_TRUE(RawClient::waitUntil([&] { return started.count() == 1; }));
    EXPECT_TRUE(player.shortensPauses());
    // The pause is waited out in manual time: the replay ends a little over MAX_PAUSE_MS after its start.
    ASSERT_TRUE(RawClient::waitUntil(
        [&]
        {
            if (finished.count() == 0 && recorder.rowCount() >= 3000)
                clock.advance(500);
            return finished.count() == 1;
        }));
    EXPECT_LE(mostBetweenTurns, RecordingPlayer::SLICE_SAMPLES);
    recorder.stop();

    std::vector<MeasurementSample> again;
    EXPECT_EQ(readWhole(dir.filePath("again.csv"), &again), "3002 rows");
    ASSERT_EQ(again.size(), 3002u);
    EXPECT_EQ(again.front().timeMs, startMs);
    EXPECT_EQ(again.front().originalTimeMs, T0);
    EXPECT_EQ(again.back().timeMs, startMs + RecordingPlayer::MAX_PAUSE_MS + 33);
    EXPECT_EQ(again.back().originalTimeMs, T0 + TEN_YEARS_MS + 33);
}
