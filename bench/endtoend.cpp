// The whole program, end to end, in the X server it is started under (scripts/bench uses xvfb-run): runs
// it for a while in test mode and on the simulated board, each with and without drawing, and prints per
// run the achieved measurement rate, the tick-interval percentiles, CPU time per second of run, peak
// memory and the time from start to the first measurement. The runs without drawing are the floor that
// drawing is measured against. Usage: end_to_end [seconds per run (default 60)] [part of the run names].
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace
{

struct Run
{
    const char* name;
    QStringList arguments;
    // History, statistics and the measurement panel shown, as the View menu keeps them.
    bool panels = false;
};

struct Figures
{
    double startupMs = 0;
    double ratePerSecond = 0;
    double p50Ms = 0, p90Ms = 0, p99Ms = 0, maxMs = 0;
    double cpuPerSecond = 0;
    double peakMemoryMiB = 0;
    size_t cycles = 0;
};

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(fraction * double(values.size())))];
}

// User plus system CPU seconds of a process so far.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / double(sysconf(_SC_CLK_TCK));
}

double peakMemoryMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

bool measure(const Run& run, int seconds, Figures& figures)
{
    QTemporaryDir home;
    QFile::copy(LIDORA_TEST_DATA, home.filePath("test_data.txt"));
    const QString cycleLog = home.filePath("cycles.log");
    if (run.panels)
    {
        QDir(home.path()).mkpath(".config/nox");
        QFile settings(home.filePath(".config/nox/LIDORA.conf"));
        settings.open(QIODevice::WriteOnly);
        settings.write("[View]\nHistory=true\nStatistics=true\nMeasurementPanel=true\n");
    }
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("XDG_CONFIG_DIRS", home.filePath("xdg"));
    environment.insert("XDG_RUNTIME_DIR", home.path());
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(home.path());
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);

    const qint64 startedMs = QDateTime::currentMSecsSinceEpoch();
    program.start(LIDORA_DEMO_BINARY, run.arguments + QStringList{"--cycle-log", cycleLog});
    if (!program.waitForStarted(10000))
        return false;
    QThread::sleep(unsigned(seconds));
    const double cpu = cpuSeconds(program.processId());
    figures.peakMemoryMiB = peakMemoryMiB(program.processId());
    const qint64 stoppedMs = QDateTime::currentMSecsSinceEpoch();
    ::kill(pid_t(program.processId()), SIGTERM);
    if (!program.waitForFinished(15000))
        return false;

    QFile log(cycleLog);
    if (!log.open(QIODevice::ReadOnly))
        return false;
    std::vector<double> times;
    for (const QByteArray& line : log.readAll().split('\n'))
        if (!line.isEmpty())
            times.push_back(line.toDouble());
    if (times.size() < 2)
        return false;
    std::vector<double> intervals;
    for (size_t i = 1; i < times.size(); ++i)
        intervals.push_back(times[i] - times[i - 1]);

    figures.cycles = times.size();
    figures.startupMs = times.front() - double(startedMs);
    figures.ratePerSecond = double(times.size() - 1) / ((times.back() - times.front()) / 1000.0);
    figures.p50Ms = percentile(intervals, 0.5);
    figures.p90Ms = percentile(intervals, 0.9);
    figures.p99Ms = percentile(intervals, 0.99);
    figures.maxMs = *std::max_element(intervals.begin(), intervals.end());
    figures.cpuPerSecond = cpu / (double(stoppedMs - startedMs) / 1000.0);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(5, atoi(argv[1])) : 60;
    const Run runs[] = {
        {"test mode", {}},
        {"test mode, no drawing", {"--no-drawing"}},
        {"simulated board", {"--simulate"}},
        {"simulated board, no drawing", {"--simulate", "--no-drawing"}},
        {"simulated board, recording", {"--simulate", "--record", "run.csv"}},
        {"simulated board, recording, panels shown", {"--simulate", "--record", "run.csv"}, true},
    };

    std::printf("%d s per run; tick intervals in ms; CPU in CPU seconds per second of run\n", seconds);
    std::printf("| run | cycles | rate /s | interval p50 | p90 | p99 | max | CPU | peak memory | first "
                "measurement |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    int failures = 0;
    // A second argument picks the runs whose name contains it.
    const QString only = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    for (const Run& run : runs)
    {
        if (!QString::fromLatin1(run.name).contains(only))
            continue;
        Figures figures;
        if (!measure(run, seconds, figures))
        {
            std::printf("| %s | failed |\n", run.name);
            ++failures;
            continue;
        }
        std::printf("| %s | %zu | %.1f | %.1f | %.1f | %.1f | %.1f | %.3f | %.1f MiB | %.0f ms |\n", run.name,
                    figures.cycles, figures.ratePerSecond, figures.p50Ms, figures.p90Ms, figures.p99Ms,
                    figures.maxMs, figures.cpuPerSecond, figures.peakMemoryMiB, figures.startupMs);
        std::fflush(stdout);
    }
    return failures == 0 ? 0 : 1;
}
