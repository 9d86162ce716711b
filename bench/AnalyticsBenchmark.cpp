// Breadth and the equally weighted index over 500 securities x 10 years of
// daily bars, beside reading the same bars with the store alone.
#include <benchmark/benchmark.h>

#include <vector>

#include "CalendarDate.h"
#include "Coding.h"
#include "CurlHttpClient.h"
#include "GroupIndex.h"
#include "MarketBreadth.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane {
namespace {

constexpr int kSecurities = 500;
constexpr std::int32_t kFirst = 20050103, kLast = 20141231;

class SilentPrompt : public Prompt {
public:
    PromptAnswer Show(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};
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

std::string Symbol(int i) {
    std::string symbol = "S";
    symbol += std::to_string(i);
    return symbol;
}

struct Directory {
    test::TempDir dir;
    std::vector<SelectionRow> rows;
    std::string list;

    Directory() {
        SilentPrompt prompt;
        SystemClock clock;
        StoreWriter writer(prompt, clock);
        (void)writer.CreateDirectory(dir.Path());
        (void)writer.Open(dir.Path());
        std::vector<PriceBar> bars;
        for (std::int32_t d = kFirst; d <= kLast; d = AddDays(d, 1)) {
            if (DayOfWeek(d) == 0 || DayOfWeek(d) == 6) continue;
            const float close = 10.0f + static_cast<float>(bars.size() % 37) * 0.5f;
            bars.push_back(
                {TruncateToInt(ToShortDate(d)), close, close + 1, close - 1, close, 1e5f, 0});
        }
        for (int s = 0; s < kSecurities; ++s) {
            (void)writer.AddSecurity(Symbol(s), Symbol(s), 'D');
            (void)writer.OpenPriceFileForWrite(Symbol(s), false);
            (void)writer.AppendBars(bars);
            (void)writer.ClosePriceFile();
            rows.push_back({Symbol(s), kFirst, kLast});
            list += ' ';
            list += Symbol(s);
        }
        writer.Close();
    }
};

Directory& TheDirectory() {
    static Directory directory;
    return directory;
}

void BM_Breadth(benchmark::State& state) {
    Directory& d = TheDirectory();
    SilentPrompt prompt;
    SystemClock clock;
    NoEvents events;
    NoProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(CalculateBreadth({d.dir.Path(), d.list, "", kFirst, kLast}, prompt,
                                                  clock, events, progress));
}

void BM_EqualIndex(benchmark::State& state) {
    Directory& d = TheDirectory();
    SilentPrompt prompt;
    SystemClock clock;
    NoEvents events;
    NoProgress progress;
    CurlHttpClient http;
    for (auto _ : state) {
        FetchSession session{http, prompt};
        benchmark::DoNotOptimize(
            CalculateIndex({d.dir.Path(), ReadIndexSelection(d.rows), IndexType::Equal, ""},
                           session, clock, events, progress));
    }
}

void BM_StoreReadOnly(benchmark::State& state) {
    Directory& d = TheDirectory();
    SilentPrompt prompt;
    for (auto _ : state) {
        double sum = 0;
        for (const SelectionRow& row : d.rows) {
            StoreReader reader(prompt);
            (void)reader.Open(d.dir.Path());
            if (reader.OpenPriceFileBySymbol(row.symbol) == Result::Ok)
                while (reader.GetRemainingBars() > 0) {
                    reader.ReadNextBar();
                    sum += reader.GetBarClose();
                }
            reader.Close();
        }
        benchmark::DoNotOptimize(sum);
    }
}

BENCHMARK(BM_StoreReadOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Breadth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EqualIndex)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
