// A download run over N securities of one directory (the first 255 low, the
// rest extended), against the gateway on loopback: a rebuild of two years of
// daily rows each into new securities, and an update of half a year into a
// directory that holds the first year and a half. Counters split the time
// between HTTP, the run's lookups by symbol and the rest (parsing and
// merging into the store).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include "CDownloader.h"
#include "CurlHttpClient.h"
#include "GatewayProcess.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane {
namespace {

using Clock_ = std::chrono::steady_clock;

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

class FixedClock : public Clock {
public:
    LocalDateTime Now() const override { return {2024, 12, 28, 12, 0, 0, 6}; }  // a Saturday
};

// Times every request it passes on.
class TimedHttpClient : public HttpClient {
public:
    HttpResult Get(const std::string& url) override {
        const auto began = Clock_::now();
        HttpResult result = curl_.Get(url);
        seconds += std::chrono::duration<double>(Clock_::now() - began).count();
        return result;
    }
    double seconds = 0;

private:
    CurlHttpClient curl_;
};

std::string Symbol(int i) {
    std::string symbol = "S";
    symbol += std::to_string(i);
    return symbol;
}

struct Fixture {
    test::TempDir data;
    std::unique_ptr<test::GatewayProcess> gateway;
    std::string symbols;

    explicit Fixture(int count) {
        for (int s = 0; s < count; ++s) {
            std::ofstream out(data / (Symbol(s) + ".csv"));
            out << "Date,Open,High,Low,Close,Volume,Adj Close\n";
            for (int day = 0; day < 504; ++day) {
                const int date =
                    20230101 + (day / 21 % 12) * 100 + day % 21 + 1 + (day / 252) * 10000;
                char line[128];
                std::snprintf(line, sizeof line, "%04d-%02d-%02d,%d.25,%d.5,%d,%d.75,%d,%d.75\n",
                              date / 10000, date / 100 % 100, date % 100, 10 + day % 7,
                              11 + day % 7, 9 + day % 7, 10 + day % 7, 100000 + day, 10 + day % 7);
                out << line;
            }
            symbols += ' ';
            symbols += Symbol(s);
        }
        gateway = std::make_unique<test::GatewayProcess>(data.Path());
    }
};

Fixture& FixtureFor(int count) {
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& fixture = fixtures[count];
    if (!fixture) fixture = std::make_unique<Fixture>(count);
    return *fixture;
}

enum Mode { kRebuild = 0, kUpdate = 1 };

void BM_DownloadRun(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bool update = state.range(1) == kUpdate;
    Fixture& fixture = FixtureFor(count);
    SilentPrompt prompt;
    FixedClock clock;
    NoEvents events;
    NoProgress progress;
    double http = 0, lookups = 0;
    for (auto _ : state) {
        state.PauseTiming();
        test::TempDir store;
        StoreWriter writer(prompt, clock);
        (void)writer.CreateDirectory(store.Path());
        (void)writer.Open(store.Path());
        for (int s = 0; s < count; ++s) (void)writer.AddSecurity(Symbol(s), Symbol(s), 'D');
        writer.Close();
        const std::string url = fixture.gateway->BaseUrl();
        if (update) {
            TimedHttpClient first;
            CDownloader filler(first, prompt, clock, events, {url, url, url}, store / "report.txt");
            filler.SetDirectory(store.Path());
            (void)filler.RunDownload(fixture.symbols, 20230101, 20240630, Periodicity::Daily,
                                     progress);
        }
        TimedHttpClient client;
        CDownloader downloader(client, prompt, clock, events, {url, url, url},
                               store / "report.txt");
        downloader.SetDirectory(store.Path());
        state.ResumeTiming();

        (void)downloader.RunDownload(fixture.symbols, update ? 20230103 : 20230101, 20241231,
                                     Periodicity::Daily, progress);

        state.PauseTiming();
        http += client.seconds;
        const auto began = Clock_::now();
        for (int s = 0; s < count; ++s)
            benchmark::DoNotOptimize(downloader.FindSecurity(Symbol(s)));
        lookups += std::chrono::duration<double>(Clock_::now() - began).count();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["http_s"] = benchmark::Counter(http, benchmark::Counter::kAvgIterations);
    // The run looks each security up about three times; this is one pass.
    state.counters["lookup_pass_s"] =
        benchmark::Counter(lookups, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DownloadRun)
    ->ArgNames({"securities", "update"})
    ->Args({100, kRebuild})
    ->Args({500, kRebuild})
    ->Args({500, kUpdate})
    ->Args({2000, kRebuild})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
