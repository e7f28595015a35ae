// Cost of the demo's 33 ms measurement cycle in test mode: the processing alone (script replay, filters,
// classification, demo-data record) and the full cycle the timer runs (with graph update, axis rule,
// read-out refresh and the replots), offscreen.
#include "mainwindow.h"
#include "qdistanceplot.h"

#include "support/manualclock.h"
#include "support/tempworkdir.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

namespace
{

void installBundledScript(const TempWorkDir& dir)
{
    QFile bundled(QStringLiteral(LIDORA_BUNDLED_TEST_DATA));
    bundled.open(QIODevice::ReadOnly);
    dir.writeTestData(bundled.readAll());
}

void BM_MeasureDistanceWithoutDrawing(benchmark::State& state)
{
    TempWorkDir dir;
    installBundledScript(dir);
    ManualClock clock;
    QDistancePlot plot(nullptr);
    for (auto _ : state)
    {
        clock.advance(MainWindow::MEASUREMENT_PERIOD_MS);
        plot.measureDistance();
    }
    state.counters["cycles_per_s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MeasureDistanceWithoutDrawing);

// Every cycle is 33 ms after the previous one, so every cycle also refreshes the read-out: the
// worst case of what the timer asks for.
void BM_FullCycleWithReplots(benchmark::State& state)
{
    TempWorkDir dir;
    installBundledScript(dir);
    ManualClock clock;
    MainWindow window;
    window.show();
    for (auto _ : state)
    {
        clock.advance(MainWindow::MEASUREMENT_PERIOD_MS);
        window.on_pbStart_clicked();
    }
    state.counters["cycles_per_s"] = benchmark::Counter(state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullCycleWithReplots)->Unit(benchmark::kMicrosecond);

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
