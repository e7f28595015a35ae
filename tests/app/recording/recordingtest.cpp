#include "measurementrecorder.h"
#include "recordingformat.h"
#include "recordingreader.h"

#include "support/manualclock.h"
#include "support/qtprinters.h"
#include "support/tempworkdir.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

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
              "exchange\r\n");
    MeasurementSample gap = sampleAt(T0 + 5, 0);
    gap.medianDistance = 512;
    gap.smoothedConfidence = 12.25;
    gap.exchangeFailed = true;
    gap.source = MeasurementSource::SimulatedBoard;
    EXPECT_EQ(RecordingFormat::row(gap, 3600), "2023-11-14T23:13:20.005+01:00,1700000000005,,512,,12.250,,,"
                                               "0.000,STATE_NO_OBJECT,SCREEN_SAVER_OFF,simulated board,"
                                               "failed\r\n");
}

TEST(Recording, BadRecordingsAreRefusedWithTheirLine)
{
    const QByteArray header = RecordingFormat::header();
    const struct
    {
        QByteArray content;
        const char* message;
    } cases[] = {
        {"", "Cannot play run.csv: the file is empty."},
        {"time;distance\r\n" + rowAt(T0), "run.csv, line 1: not a recording: the first line"},
        {header, "run.csv: no measurements after the header."},
        {header + rowAt(T0) + "2023-11-14,1700000000040,500\r\n", "run.csv, line 3: 3 fields, a row has 13."},
        {header + rowAt(T0).replace(",500,", ",5OO,"),
         "line 2: raw_distance_mm \"5OO\" is not empty or a number"},
        {header + rowAt(T0).replace("STATE_NO_OBJECT", "STATE_SLEEPY"),
         "line 2: object_state \"STATE_SLEEPY\" is not a known value."},
        {header + QByteArray(100000, '7') + "\r\n", "line 2: longer than 1024 characters."},
        {QByteArray(100, '\0'), "line 1: holds zero bytes"},
        {header + rowAt(T0 + 33) + rowAt(T0), "line 3: the time goes back."},
    };
    TempWorkDir dir;
    for (const auto& c : cases)
    {
        dir.writeFile("run.csv", c.content);
        RecordingReader reader;
        EXPECT_FALSE(reader.read(dir.filePath("run.csv"))) << c.message;
        EXPECT_TRUE(reader.errorString().contains(QLatin1String(c.message)))
            << reader.errorString().toStdString();
        EXPECT_TRUE(reader.samples().isEmpty()) << c.message;
    }

    // What later versions add at the end, and what a spreadsheet adds around it, is read.
    dir.writeFile("run.csv", "\xEF\xBB\xBF" + header.left(header.size() - 2) + ",later\r\n" +
                                 "\"2023\",1700000000000,500,500,40,0,1,2,0,STATE_OBJECT_FAR,"
                                 "SCREEN_SAVER_ON,board,ok,\"x,\"\"y\"\"\"\r\n");
    RecordingReader reader;
    ASSERT_TRUE(reader.read(dir.filePath("run.csv"))) << reader.errorString().toStdString();
    EXPECT_EQ(reader.samples().first().rawDistance, 500);
    EXPECT_EQ(reader.samples().first().photonCountObject, 2u);
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

TEST(Recording, FilesThatCannotBeWrittenStopTheRecordingAndKeepWhatWasWritten)
{
    TempWorkDir dir;
    dir.writeFile("kept.csv", "earlier work\n");
    const struct
    {
        QString path;
        bool replace;
        const char* message;
    } refused[] = {
        {dir.filePath("kept.csv"), false, "kept.csv exists already"},
        {"/dev/full", true, "cannot write /dev/full: No space left on device"},
        {dir.filePath("no/such/folder/run.csv"), false, "cannot write"},
    };
    for (const auto& c : refused)
    {
        MeasurementRecorder recorder;
        EXPECT_FALSE(recorder.start(c.path, c.replace)) << c.message;
        EXPECT_TRUE(recorder.errorString().contains(QLatin1String(c.message)))
            << recorder.errorString().toStdString();
    }
    QFile kept(dir.filePath("kept.csv"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "earlier work\n");

    ManualClock clock(T0);
    // A disk that fills up after two rows: those stay, the recording stops, nothing else breaks.
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
    const rlimit filled{rlim_t(QFileInfo(fullPath).size()), limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &filled);
    recordTwice();
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_TRUE(failed.first().first().toString().startsWith("Recording stopped: cannot write"))
        << failed.first().first().toString().toStdString();
    EXPECT_FALSE(full.isRecording());
    EXPECT_EQ(rowsIn(fullPath), 2);

    // A file deleted under the running recording.
    MeasurementRecorder removed;
    ASSERT_TRUE(removed.start(dir.filePath("gone.csv"), false));
    QSignalSpy removedFailed(&removed, &MeasurementRecorder::failed);
    QFile::remove(dir.filePath("gone.csv"));
    removed.record(sampleAt(clock.now(), 500));
    removed.stop();
    ASSERT_EQ(removedFailed.count(), 1);
    EXPECT_TRUE(removedFailed.first().first().toString().endsWith("the file was removed"));
}
