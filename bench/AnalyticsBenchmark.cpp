// Market breadth and the equally weighted group index over 500 securities x
// 10 years of daily bars, beside reading the same bars with the store alone
// (one reader, every price file in one read) and a plain read of the same
// files. Counters: x_store_read and x_plain_read, the calculation's time over
// those reads' in the same run.
#include <benchmark/benchmark.h>

#include <functional>
#include <vector>

#include "BenchDirectory.h"
#include "CurlHttpClient.h"
#include "GroupIndex.h"
#include "MarketBreadth.h"
#include "StoreReader.h"

namespace corvane {
namespace {

constexpr int kSecurities = 500;
constexpr std::int32_t kFirst = 20050103, kLast = 20141231;

class NoProgress : public Progress {
public:
    void SetRange(int) override {}
    void SetPosition(int) override {}
    void SetText(const std::string&) override {}
    bool IsCancelled() override { return false; }
};
class NoEvents : public EventPump {
public:
    bool PumpMessages() override { return false; }
};

// Every bar of every security through the store, as the calculations read them.
double ReadBars(const std::filesystem::path& directory, const std::vector<SelectionRow>& rows) {
    bench::SilentPrompt prompt;
    StoreReader reader(prompt);
    double sum = 0;
    if (reader.Open(directory) != Result::Ok) return sum;
    reader.LoadEntryTable();
    std::vector<PriceBar> bars;
    for (const SelectionRow& row : rows)
        if (reader.ReadBarsBySymbol(row.symbol, bars) == Result::Ok)
            for (const PriceBar& bar : bars) sum += bar.close;
    return sum;
}

struct Fixture {
    bench::ScratchDir dir{"analytics"};
    std::vector<SelectionRow> rows;
    std::string list;

    Fixture() {
        // Ten years of weekdays, 2005 to 2014.
        bench::WriteDataDirectory(dir.Path(), "S", kSecurities, bench::WeekdayBars(2608, kFirst));
        for (int s = 0; s < kSecurities; ++s) {
            rows.push_back({bench::Symbol("S", s), kFirst, kLast});
            list += " " + bench::Symbol("S", s);
        }
        bench::ReadEveryFile(dir.Path());  // into the page cache
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

double Seconds(const std::function<void()>& work) {
    const auto began = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// Every iteration times the work and, beside it, the two reads, so that the
// ratios compare runs made under the same load of the machine.
template <typename Work>
void Measure(benchmark::State& state, Work work) {
    const Fixture& fixture = TheFixture();
    double seconds = 0, storeRead = 0, plainRead = 0;
    for (auto _ : state) {
        seconds += Seconds(work);
        state.PauseTiming();
        storeRead +=
            Seconds([&] { benchmark::DoNotOptimize(ReadBars(fixture.dir.Path(), fixture.rows)); });
        plainRead += Seconds([&] { bench::ReadEveryFile(fixture.dir.Path()); });
        state.ResumeTiming();
    }
    state.counters["x_store_read"] = seconds / storeRead;
    state.counters["x_plain_read"] = seconds / plainRead;
}

void BM_StoreRead(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    Measure(state, [&] { benchmark::DoNotOptimize(ReadBars(fixture.dir.Path(), fixture.rows)); });
}

void BM_Breadth(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    bench::SilentPrompt prompt;
    SystemClock clock;
    NoEvents events;
    NoProgress progress;
    Measure(state, [&] {
        if (CalculateBreadth({fixture.dir.Path(), fixture.list, "", kFirst, kLast}, prompt, clock,
                             events, progress) != BreadthOutcome::Written)
            state.SkipWithError("breadth not written");
    });
}

void BM_EqualIndex(benchmark::State& state) {
    const Fixture& fixture = TheFixture();
    bench::SilentPrompt prompt;
    SystemClock clock;
    NoEvents events;
    NoProgress progress;
    CurlHttpClient http;
    Measure(state, [&] {
        FetchSession session{http, prompt};
        benchmark::DoNotOptimize(CalculateIndex(
            {fixture.dir.Path(), ReadIndexSelection(fixture.rows), IndexType::Equal, ""}, session,
            clock, events, progress));
    });
}

BENCHMARK(BM_StoreRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Breadth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EqualIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
