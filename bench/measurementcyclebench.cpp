// Cost of the demo's 33 ms measurement cycle in test mode: the processing alone (script replay, filters,
// classification), the same with what every sample also feeds (recording, statistics, history data), and
// the full cycle the timer runs (with graph update, axis rule, read-out refresh and the replots), offscreen,
// with the new panels hidden and not recording (the default) or shown and recording.
#include "historychart.h"
#include "mainwindow.h"
#include "measurementcycle.h"
#include "measurementrecorder.h"
#include "measurementstatistics.h"

#include "support/manualclock.h"
#include "support/tempworkdir.h"

#include <QApplication>
#include <QFile>
#include <QSettings>

#include <benchmark/benchmark.h>

namespace
{

void installBundledScript(const TempWorkDir& dir)
{
    QFile bundled(QStringLiteral(LIDORA_BUNDLED_TEST_DATA));
    bundled.open(QIODevice::ReadOnly);
    dir.writeTestData(bundled.readAll());
}

void BM_MeasurementCycle(benchmark::State& state)
{
    TempWorkDir dir;
    installBundledScript(dir);
    ManualClock clock;
    MeasurementCycle cycle;
    for (auto _ : state)
    {
        clock.advance(MeasurementEngine::MEASUREMENT_PERIOD_MS);
        cycle.measure();
    }
    state.counters["cycles_per_s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MeasurementCycle);

// What the window attaches to every sample: a row of the recording (written to a file once a second),
// the statistics and the history chart's data (not drawn).
void BM_MeasurementCycleRecordedWithStatisticsAndHistory(benchmark::State& state)
{
    TempWorkDir dir;
    installBundledScript(dir);
    ManualClock clock;
    MeasurementCycle cycle;
    MeasurementRecorder recorder;
    recorder.start(dir.filePath("run.csv"), true);
    MeasurementStatistics statistics;
    HistoryChart history;
    QObject::connect(&cycle, &MeasurementCycle::measured, &recorder, &MeasurementRecorder::record);
    QObject::connect(&cycle, &MeasurementCycle::measured, &history, &HistoryChart::addSample);
    QObject::connect(&cycle, &MeasurementCycle::measured,
                     [&statistics](const MeasurementSample& sample) { statistics.add(sample); });
    for (auto _ : state)
    {
        clock.advance(MeasurementEngine::MEASUREMENT_PERIOD_MS);
        cycle.measure();
    }
    state.counters["cycles_per_s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MeasurementCycleRecordedWithStatisticsAndHistory);

// Every cycle is 33 ms after the previous one, so every cycle also refreshes the read-out: the
// worst case of what the timer asks for. Argument 1: history, statistics and the measurement panel shown
// (as the View menu keeps them) and a recording running.
void BM_FullCycleWithReplots(benchmark::State& state)
{
    TempWorkDir dir;
    installBundledScript(dir);
    const bool panels = state.range(0) != 0;
    QSettings view(QSettings::NativeFormat, QSettings::UserScope, "nox", "LIDORA");
    for (const char* key : {"View/History", "View/Statistics", "View/MeasurementPanel"})
        view.setValue(key, panels);
    view.sync();
    ManualClock clock;
    MainWindow window;
    window.show();
    if (panels)
        window.startRecording(dir.filePath("run.csv"), true, nullptr);
    for (auto _ : state)
    {
        clock.advance(MeasurementEngine::MEASUREMENT_PERIOD_MS);
        window.on_pbStart_clicked();
    }
    state.counters["cycles_per_s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullCycleWithReplots)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
