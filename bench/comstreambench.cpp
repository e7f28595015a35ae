// Exchanges through the com stream with no device behind it: how many GetObjects exchanges per second
// the framing, answer checks and decoding allow, and how many heap allocations one exchange costs.
#include "getobjectscommand.h"

#include "Communication/comstream.h"
#include "Communication/comstreamformatter.h"
#include "HidDevice/hidbackend.h"
#include "hidcomdriver.h"
#include "simulatedhidbackend.h"
#include "support/manualclock.h"
#include "support/scriptedcomdriver.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace
{

std::atomic<long> allocationCount{0};

} // namespace

// Counts every allocation of the process; the benchmark reads the difference around execute().
void* operator new(std::size_t size)
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace
{

using NoxCore::Communication::ComStream;

const QByteArray OBJECT_ANSWER = QByteArray::fromHex("0100f401000000002a10270000204e0000");

void BM_GetObjectsExchange(benchmark::State& state)
{
    ScriptedComDriver driver;
    driver.addAnswer(GetObjectsCommand::PROTOCOL, 0, OBJECT_ANSWER);
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);

    long allocations = 0;
    long exchanges = 0;
    for (auto _ : state)
    {
        driver.clearWritten();
        driver.rewindAnswers();
        GetObjectsCommand command;
        const long before = allocationCount.load(std::memory_order_relaxed);
        stream.execute(&command);
        allocations += allocationCount.load(std::memory_order_relaxed) - before;
        ++exchanges;
        benchmark::DoNotOptimize(command.objectRecord().distance);
    }
    if (stream.lastError() != 0)
        state.SkipWithError("an exchange failed");
    state.counters["exchanges_per_s"] = benchmark::Counter(double(exchanges), benchmark::Counter::kIsRate);
    state.counters["allocations_per_execute"] = double(allocations) / double(exchanges);
}
BENCHMARK(BM_GetObjectsExchange);

// The same exchange as the program makes it with a board: through the HID com driver in 65-byte reports,
// here answered by the simulated board's HID interfaces (which answer at once, so this is the PC side's
// own cost, report framing and the board's firmware included).
void BM_GetObjectsExchangeOverSimulatedHid(benchmark::State& state)
{
    ManualClock clock;
    LidoraSim::SimulatedBoard board;
    LidoraSim::SimulatedHidBackend backend(board);
    NoxHid::IHidBackend* previous = NoxHid::HidBackend::install(&backend);
    NoxHid::HidComDeviceInfo module(LidoraSim::SimulatedHidBackend::VENDOR_ID,
                                    LidoraSim::SimulatedHidBackend::PRODUCT_ID);
    module.setPath("mi_04");
    NoxCore::Communication::ComStreamFormatter formatter;
    NoxHid::HidComDriver driver(module);
    driver.setFormatter(&formatter);
    ComStream stream(&driver, ComStream::theImmediateFlushPolicy);
    if (!stream.open())
        state.SkipWithError("the simulated board did not open");

    long exchanges = 0;
    for (auto _ : state)
    {
        clock.advance(33);
        GetObjectsCommand command;
        stream.execute(&command);
        ++exchanges;
        benchmark::DoNotOptimize(command.objectRecord().distance);
    }
    if (stream.lastError() != 0)
        state.SkipWithError("an exchange failed");
    state.counters["exchanges_per_s"] = benchmark::Counter(double(exchanges), benchmark::Counter::kIsRate);
    stream.close();
    NoxHid::HidBackend::install(previous);
}
BENCHMARK(BM_GetObjectsExchangeOverSimulatedHid);

} // namespace

BENCHMARK_MAIN();
