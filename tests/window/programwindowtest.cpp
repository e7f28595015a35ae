// Runs the real program in a real X server (scripts/test starts one with xvfb-run; the Windows build runs in
// Wine there) in test mode and checks what a user would see: the window, the banner, the read-out following
// the bundled script, the screen saver, and a clean exit when the desktop asks for one. Leaves a screenshot
// in the build folder.
#include "support/qtprinters.h"
#include "support/tempworkdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace
{

// Resolved before a test enters its working folder: under Wine the cross build's paths, which have no drive,
// name files on the drive of the current folder.
const QString DEMO_BINARY = QFileInfo(QStringLiteral(LIDORA_DEMO_BINARY)).absoluteFilePath();
const QString BUNDLED_SCRIPT = QFileInfo(QStringLiteral(LIDORA_BUNDLED_TEST_DATA)).absoluteFilePath();
const QString BUILD_DIR = QFileInfo(QStringLiteral(LIDORA_BUILD_DIR)).absoluteFilePath();

struct ReadoutLine
{
    qint64 timeMs;
    QString state;
    bool banner;
    bool screenSaver;
};

QVector<ReadoutLine> readLog(const QString& path)
{
    QVector<ReadoutLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return lines;
    while (!file.atEnd())
    {
        const QStringList fields = QString::fromUtf8(file.readLine()).trimmed().split(';');
        if (fields.size() == 5)
            lines.append({fields[0].toLongLong(), fields[1], fields[3] == "1", fields[4] == "1"});
    }
    return lines;
}

bool windowTitled(const QString& title)
{
#ifdef _WIN32
    return FindWindowW(nullptr, reinterpret_cast<const wchar_t*>(title.utf16())) != nullptr;
#else
    QProcess xwininfo;
    xwininfo.start("xwininfo", {"-root", "-tree"});
    xwininfo.waitForFinished(5000);
    return QString::fromLocal8Bit(xwininfo.readAllStandardOutput()).contains('"' + title + '"');
#endif
}

// Asks the program to end as the desktop does: SIGTERM when the session ends on Linux; on Windows, where
// a window program gets no signals, a close request to its windows.
void askToEnd(const QProcess& program)
{
#ifdef _WIN32
    const auto closeIfOwned = [](HWND window, LPARAM processId) -> BOOL
    {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == DWORD(processId) && IsWindowVisible(window))
            PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    };
    EnumWindows(closeIfOwned, LPARAM(program.processId()));
#else
    ::kill(program.processId(), SIGTERM);
#endif
}

class ProgramWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(BUNDLED_SCRIPT, home.filePath("test_data.txt")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A private home and system configuration: the single-instance mark of this run stays here.
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_DIRS", home.filePath("xdg"));
        environment.remove("XDG_CONFIG_HOME");
        environment.insert("XDG_RUNTIME_DIR", home.path());
#ifdef _WIN32
        environment.insert("QT_QPA_PLATFORM", "windows");
#else
        environment.insert("QT_QPA_PLATFORM", "xcb");
#endif
        // Qt's xcb plugin keeps some allocations until exit; the program's own code is leak-checked
        // by the unit tests.
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(home.path());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
#ifdef _WIN32
        // The mark lives in the registry there, which no environment redirects: a run killed earlier may
        // have left it set, and the program would start as a second instance.
        for (const QSettings::Scope scope : {QSettings::SystemScope, QSettings::UserScope})
            QSettings(QSettings::NativeFormat, scope, "nox", "LIDORA").remove("AlreadyRunning");
#endif
    }

    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning)
        {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    struct Run
    {
        int exitCode;
        QByteArray output;
        QByteArray errors;
    };
    // Runs the program to its end without a display, as over ssh, where the window could not open; text
    // mode, since Windows ends the lines with "\r\n". Nothing it is asked may end it by a signal.
    Run runWithoutDisplay(const QStringList& arguments, const QString& binary = DEMO_BINARY)
    {
        QProcessEnvironment noDisplay = program.processEnvironment();
        noDisplay.remove("DISPLAY");
        QProcess run;
        run.setProcessEnvironment(noDisplay);
        run.setWorkingDirectory(home.path());
        run.start(binary, arguments, QIODevice::ReadOnly | QIODevice::Text);
        EXPECT_TRUE(run.waitForFinished(30000)) << arguments.join(' ').toStdString();
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << arguments.join(' ').toStdString();
        return {run.exitCode(), run.readAllStandardOutput(), run.readAllStandardError()};
    }

    TempWorkDir home;
    QProcess program;
    const QString logPath = home.filePath("readout.log");
};

} // namespace

TEST_F(ProgramWindowTest, TestModeFollowsTheBundledScriptAndExitsCleanly)
{
    program.start(DEMO_BINARY, {"--readout-log", logPath});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([] { return windowTitled("Lidora 1D Demo"); }, 20000))
        << "no window titled \"Lidora 1D Demo\"";

    // The script: 4 s nobody, 2 s far, an approach, a person moving about, too close (about 13 s in, later
    // on a busy machine, where the script's lines come slower).
    QVector<ReadoutLine> lines;
    const auto tooClose = [&]
    {
        lines = readLog(logPath);
        return std::any_of(lines.cbegin(), lines.cend(),
                           [](const ReadoutLine& line) { return line.state == "Object Too Close"; });
    };
    ASSERT_TRUE(QTest::qWaitFor(tooClose, 40000));
    QPixmap screenshot = QGuiApplication::primaryScreen()->grabWindow(0);
    EXPECT_TRUE(screenshot.save(QDir(BUILD_DIR).filePath("program-window.png")));

    // How each state reads out is pinned by the main window's own tests; here the states must follow the
    // script in real time, all under the test-mode banner.
    QStringList states;
    for (const ReadoutLine& line : lines)
    {
        EXPECT_TRUE(line.banner) << "test-mode banner at " << line.timeMs;
        if (states.isEmpty() || states.last() != line.state)
            states.append(line.state);
    }
    EXPECT_EQ(states.mid(0, 4), QStringList({"No Object Detected", "Far Object Detected", "Presence Detected",
                                             "Object Too Close"}))
        << states.join(" > ").toStdString();

    // Nobody there at start: the screen saver comes on once presence is 3 s old, not before.
    const auto firstSaver =
        std::find_if(lines.cbegin(), lines.cend(), [](const ReadoutLine& line) { return line.screenSaver; });
    ASSERT_NE(firstSaver, lines.cend()) << "screen saver never shown";
    EXPECT_GE(firstSaver->timeMs - lines.first().timeMs, 2500) << "presence counts as recent for 3 s";
    EXPECT_LE(firstSaver->timeMs - lines.first().timeMs, 4500);
    EXPECT_EQ(firstSaver->state, "No Object Detected");

    // As a desktop session ends, and the program closes down as from its window.
    askToEnd(program);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    // The clean exit cleared the single-instance mark (whichever store this user could write).
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, home.filePath("xdg"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath(".config"));
    QSettings system(QSettings::NativeFormat, QSettings::SystemScope, "nox", "LIDORA");
    QSettings user(QSettings::NativeFormat, QSettings::UserScope, "nox", "LIDORA");
    EXPECT_TRUE(system.contains("AlreadyRunning") || user.contains("AlreadyRunning"));
    EXPECT_FALSE(system.value("AlreadyRunning", false).toBool());
    EXPECT_FALSE(user.value("AlreadyRunning", false).toBool());
}

TEST_F(ProgramWindowTest, UnknownOptionsAreRefusedAndQtsOwnAreLeftToQt)
{
    // These only print, so they must answer also without a display: on standard output, or on standard error
    // when refused.
    for (const char* unknown : {"--bogus", "-bogus"})
    {
        const Run refused = runWithoutDisplay({unknown});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.errors.contains("Unknown option 'bogus'")) << refused.errors.toStdString();
        EXPECT_TRUE(refused.errors.contains("--simulate")) << "the usage text follows";
    }

    // Qt's standard options are Qt's to take, as in every Qt program; "-reverse" is no -r -e -v (--version).
    const QStringList qtOptions[] = {{"-platform", "offscreen"},
                                     {"-style", "fusion"},
                                     {"-reverse"},
                                     {"-qwindowgeometry", "800x600"},
                                     {"-session", "abc"}};
    for (const QStringList& qtOption : qtOptions)
        EXPECT_EQ(runWithoutDisplay(qtOption + QStringList{"--version"}).output,
                  "Lidora 1D Demo " LIDORA_VERSION "\n");
}

// What a script sees of --record and --play, headless: a refusal is one line on standard error and status 2,
// given before the board is opened; a replay ends the run by itself; a disk that cannot take the recording
// ends it with status 3 and a file that ends with a whole row. Which files the recorder and the reader
// refuse, and why, is theirs to pin.
TEST_F(ProgramWindowTest, RecordAndPlayOptionsTellScriptsWhatHappened)
{
    const QByteArray header = "time,time_ms,raw_distance_mm,median_distance_mm,raw_confidence,"
                              "smoothed_confidence,photon_count_reference,photon_count_object,movement,"
                              "object_state,screen_saver,source,exchange\r\n";
    const auto row = [](qint64 timeMs)
    {
        return "2026-12-06T21:04:05." + QByteArray::number(timeMs % 1000) + "+01:00," +
               QByteArray::number(timeMs) +
               ",1500,1500,40,40.000,12000,30000,0.000,STATE_OBJECT_FAR,SCREEN_SAVER_ON,board,ok\r\n";
    };
    home.writeFile("existing.csv", "earlier run\n");
    home.writeFile("run.csv", header + row(1796587445123) + row(1796587445156));
    home.writeFile("bad.csv", header + row(1796587445156) + row(1796587445123));
    const struct
    {
        QStringList arguments;
        int exitCode;
        const char* error;
    } cases[] = {
        {{"--simulate", "--record", "existing.csv"},
         2,
         "Cannot record: existing.csv exists already (--force replaces an existing file).\n"},
        {{"--simulate", "--record", ""}, 2, "Cannot record: the file name is empty.\n"},
        {{"--simulate", "--force"}, 2, "--force replaces the file of --record, which is not given.\n"},
        {{"--play", "bad.csv"}, 2, "Cannot play bad.csv, line 3: the time goes back.\n"},
        {{"--play", "run.csv", "--record", "again.csv"}, 0, ""},
    };
    for (const auto& c : cases)
    {
        const Run run = runWithoutDisplay(QStringList{"--headless"} + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.error;
        EXPECT_EQ(run.errors, c.error);
        EXPECT_FALSE(c.exitCode != 0 && run.output.contains("Connected"))
            << "refused before the board opened";
    }

#ifndef _WIN32
    // A file size limit stands in for a full disk; the signal it sends must not end the program.
    const Run full = runWithoutDisplay(
        {"--fsize=3000", DEMO_BINARY, "--headless", "--simulate", "--record", "full.csv"}, "prlimit");
    EXPECT_EQ(full.exitCode, 3);
    EXPECT_EQ(full.errors, "Recording stopped: cannot write full.csv: File too large.\n");
    QFile fullFile(home.filePath("full.csv"));
    ASSERT_TRUE(fullFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(fullFile.readAll().endsWith("\r\n"));
#endif
}
