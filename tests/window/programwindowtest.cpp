// Runs the real program in a real X server (scripts/test starts one with xvfb-run) in test mode and
// checks what a user would see: the window, the banner, the read-out following the bundled script, the
// screen saver, and a clean exit on SIGTERM. Leaves a screenshot in the build folder.
#include "support/qtprinters.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace
{

struct ReadoutLine
{
    qint64 timeMs;
    QString state;
    QString distance;
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
            lines.append({fields[0].toLongLong(), fields[1], fields[2], fields[3] == "1", fields[4] == "1"});
    }
    return lines;
}

bool windowTitled(const QString& title)
{
    QProcess xwininfo;
    xwininfo.start("xwininfo", {"-root", "-tree"});
    xwininfo.waitForFinished(5000);
    return QString::fromLocal8Bit(xwininfo.readAllStandardOutput()).contains('"' + title + '"');
}

class ProgramWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(LIDORA_BUNDLED_TEST_DATA, home.filePath("test_data.txt")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A private home and system configuration: the single-instance mark of this run stays here.
        environment.insert("HOME", home.path());
        environment.insert("XDG_CONFIG_DIRS", home.filePath("xdg"));
        environment.remove("XDG_CONFIG_HOME");
        environment.insert("XDG_RUNTIME_DIR", home.path());
        environment.insert("QT_QPA_PLATFORM", "xcb");
        // Qt's xcb plugin keeps some allocations until exit; the program's own code is leak-checked
        // by the unit tests.
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(home.path());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
    }

    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning)
        {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    QTemporaryDir home;
    QProcess program;
};

} // namespace

TEST_F(ProgramWindowTest, TestModeFollowsTheBundledScriptAndExitsCleanly)
{
    const QString logPath = home.filePath("readout.log");
    program.start(LIDORA_DEMO_BINARY, {"--readout-log", logPath});
    ASSERT_TRUE(program.waitForStarted(10000));

    QElapsedTimer waited;
    waited.start();
    while (!windowTitled("Lidora 1D Demo") && waited.elapsed() < 20000)
        QThread::msleep(100);
    ASSERT_TRUE(windowTitled("Lidora 1D Demo")) << "no window titled \"Lidora 1D Demo\"";

    // The script: 4 s nobody, 2 s far, an approach, a person moving about, too close.
    QThread::msleep(13000);
    QPixmap screenshot = QGuiApplication::primaryScreen()->grabWindow(0);
    EXPECT_TRUE(screenshot.save(QDir(LIDORA_BUILD_DIR).filePath("program-window.png")));

    const QVector<ReadoutLine> lines = readLog(logPath);
    ASSERT_GE(lines.size(), 5);
    for (const ReadoutLine& line : lines)
        EXPECT_TRUE(line.banner) << "test-mode banner at " << line.timeMs;

    QStringList states;
    for (const ReadoutLine& line : lines)
    {
        if (states.isEmpty() || states.last() != line.state)
            states.append(line.state);
        if (line.state == "No Object Detected" && line.distance != "0.0 m")
            EXPECT_EQ(line.distance, "-");
        if (line.state == "Far Object Detected")
            EXPECT_TRUE(line.distance.endsWith(" cm") && line.distance.chopped(3).toInt() > 100)
                << line.distance.toStdString();
        if (line.state == "Object Too Close")
            EXPECT_TRUE(line.distance.endsWith(" cm") && line.distance.chopped(3).toInt() <= 20)
                << line.distance.toStdString();
    }
    const QStringList expectedOrder = {"No Object Detected", "Far Object Detected", "Presence Detected",
                                       "Object Too Close"};
    ASSERT_GE(states.size(), expectedOrder.size()) << states.join(" > ").toStdString();
    EXPECT_EQ(states.mid(0, 4), expectedOrder) << states.join(" > ").toStdString();

    // Nobody there at start: the screen saver comes on once presence is 3 s old, not before.
    const qint64 start = lines.first().timeMs;
    auto firstSaver =
        std::find_if(lines.begin(), lines.end(), [](const ReadoutLine& l) { return l.screenSaver; });
    ASSERT_NE(firstSaver, lines.end()) << "screen saver never shown";
    EXPECT_GE(firstSaver->timeMs - start, 2500) << "presence counts as recent for 3 s after start-up";
    EXPECT_LE(firstSaver->timeMs - start, 4500);
    EXPECT_EQ(firstSaver->state, "No Object Detected");

    ::kill(program.processId(), SIGTERM);
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
