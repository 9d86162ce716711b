// The store's reading rate against a plain read of the same price files, and
// the cost of filling a new directory one security at a time with one writer:
// 400, 4,000 and 16,000 securities. x_400 is how many times the fill of 400
// a fill takes; 10 and 40 when an add costs the same at any size.
#include <benchmark/benchmark.h>

#include <map>
#include <vector>

#include "BenchDirectory.h"
#include "Clock.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace corvane {
namespace {

constexpr int kSecurities = 300;  // 255 low, 45 extended
constexpr int kBarsEach = 5000;

struct ReadFixture {
    bench::ScratchDir dir{"read"};
    std::vector<std::string> symbols;
    double plainRead = 0;

    ReadFixture() {
        bench::WriteDataDirectory(dir.Path(), "SEC", kSecurities,
                                  bench::WeekdayBars(kBarsEach, 19900102));
        for (int i = 0; i < kSecurities; ++i) symbols.push_back(bench::Symbol("SEC", i));
        bench::ReadEveryFile(dir.Path());
        plainRead = bench::MedianSeconds(5, [&] { bench::ReadEveryFile(dir.Path()); });
    }
};

ReadFixture& Reading() {
    static ReadFixture fixture;
    return fixture;
}

// Bar by bar, as the security list's price view reads.
void BM_StoreReadAllBars(benchmark::State& state) {
    ReadFixture& fixture = Reading();
    bench::SilentPrompt prompt;
    double seconds = 0;
    for (auto _ : state) {
        const auto began = std::chrono::steady_clock::now();
        StoreReader reader(prompt);
        if (reader.Open(fixture.dir.Path()) != Result::Ok) state.SkipWithError("cannot open");
        double sum = 0;
        // The search goes forward, so one open serves the whole directory in order.
        for (const auto& symbol : fixture.symbols) {
            if (reader.OpenPriceFileBySymbol(symbol) != Result::Ok) state.SkipWithError("missing");
            while (reader.GetRemainingBars() > 0) {
                reader.ReadNextBar();
                sum += reader.GetBarClose();
            }
            reader.ClosePriceFile();
        }
        reader.Close();
        benchmark::DoNotOptimize(sum);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    }
    state.counters["x_plain_read"] =
        seconds / static_cast<double>(state.iterations()) / fixture.plainRead;
}
BENCHMARK(BM_StoreReadAllBars)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AddSecurities(benchmark::State& state) {
    static std::map<int, double> fillSeconds;
    const int count = static_cast<int>(state.range(0));
    bench::SilentPrompt prompt;
    SystemClock clock;
    double seconds = 0;
    for (auto _ : state) {
        bench::ScratchDir dir("add");
        StoreWriter writer(prompt, clock);
        if (writer.CreateDirectory(dir.Path()) != Result::Ok ||
            writer.Open(dir.Path()) != Result::Ok)
            state.SkipWithError("cannot create");
        const auto began = std::chrono::steady_clock::now();
        for (int i = 0; i < count; ++i)
            if (writer.AddSecurity(bench::Symbol("NEW", i), "New security", 'D') != Result::Ok)
                state.SkipWithError("add failed");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        writer.Close();
    }
    const double perFill = seconds / static_cast<double>(state.iterations());
    fillSeconds[count] = perFill;
    state.counters["us_per_add"] = perFill / count * 1e6;
    if (count != 400 && fillSeconds.contains(400))
        state.counters["x_400"] = perFill / fillSeconds[400];
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AddSecurities)
    ->ArgName("securities")
    ->Arg(400)
    ->Arg(4000)
    ->Arg(16000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
