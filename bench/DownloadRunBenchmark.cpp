// A download run over N securities of one directory (the first 255 low, the
// rest extended) against the gateway on loopback, at 500 and 8,000
// securities: an update of half a year into a directory that holds the
// first year and a half, and a rebuild of two years into new securities.
// Counters: the share of the run spent in HTTP (the rest is parsing, merging
// and the store), the time per security, and how many times the run of 500
// the run of 8,000 takes (16 when the cost per security does not grow).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include "BenchDirectory.h"
#include "CDownloader.h"
#include "CalendarDate.h"
#include "CurlHttpClient.h"
#include "GatewayProcess.h"

namespace corvane {
namespace {

using Steady = std::chrono::steady_clock;

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
        const auto began = Steady::now();
        HttpResult result = curl_.Get(url);
        seconds += std::chrono::duration<double>(Steady::now() - began).count();
        return result;
    }
    double seconds = 0;

private:
    CurlHttpClient curl_;
};

// The gateway's daily rows for every symbol: one file of two years of
// weekdays, linked under each symbol's name.
struct Gateway {
    bench::ScratchDir data{"gateway"};
    std::unique_ptr<test::GatewayProcess> process;
    std::string symbols;

    explicit Gateway(int count) {
        const auto rows = data.Path() / "rows.txt";
        {
            std::ofstream out(rows);
            out << "Date,Open,High,Low,Close,Volume,Adj Close\n";
            int day = 0;
            for (std::int32_t d = 20230102; d <= 20241231; d = AddDays(d, 1)) {
                if (DayOfWeek(d) == 0 || DayOfWeek(d) == 6) continue;
                char line[128];
                std::snprintf(line, sizeof line, "%04d-%02d-%02d,%d.25,%d.5,%d,%d.75,%d,%d.75\n",
                              d / 10000, d / 100 % 100, d % 100, 10 + day % 7, 11 + day % 7,
                              9 + day % 7, 10 + day % 7, 100000 + day, 10 + day % 7);
                out << line;
                ++day;
            }
        }
        for (int s = 0; s < count; ++s) {
            std::filesystem::create_symlink(rows, data.Path() / (bench::Symbol("S", s) + ".csv"));
            symbols += ' ';
            symbols += bench::Symbol("S", s);
        }
        process = std::make_unique<test::GatewayProcess>(data.Path());
    }
};

Gateway& GatewayFor(int count) {
    static std::map<int, std::unique_ptr<Gateway>> gateways;
    auto& gateway = gateways[count];
    if (!gateway) gateway = std::make_unique<Gateway>(count);
    return *gateway;
}

enum Mode { kRebuild = 0, kUpdate = 1 };

void BM_DownloadRun(benchmark::State& state) {
    static std::map<int, double> runOf500;  // seconds, by mode
    const int count = static_cast<int>(state.range(0));
    const int mode = static_cast<int>(state.range(1));
    Gateway& gateway = GatewayFor(count);
    bench::SilentPrompt prompt;
    FixedClock clock;
    NoEvents events;
    NoProgress progress;
    // The update finds 2023-01-02 to 2024-06-28 stored; the rebuild, new entries.
    const std::vector<PriceBar> stored =
        mode == kUpdate ? bench::WeekdayBars(390, 20230102) : std::vector<PriceBar>{};
    double http = 0, run = 0, lookups = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::ScratchDir store("download");
        bench::WriteDataDirectory(store.Path(), "S", count, stored);
        const std::string url = gateway.process->BaseUrl();
        TimedHttpClient client;
        CDownloader downloader(client, prompt, clock, events, {url, url, url},
                               store.Path() / "report.txt");
        downloader.SetDirectory(store.Path());
        state.ResumeTiming();

        const auto began = Steady::now();
        (void)downloader.RunDownload(gateway.symbols, mode == kUpdate ? 20230103 : 20230101,
                                     20241231, Periodicity::Daily, progress);
        run += std::chrono::duration<double>(Steady::now() - began).count();

        state.PauseTiming();
        http += client.seconds;
        const auto lookupsBegan = Steady::now();
        for (int s = 0; s < count; ++s)
            benchmark::DoNotOptimize(downloader.FindSecurity(bench::Symbol("S", s)));
        lookups += std::chrono::duration<double>(Steady::now() - lookupsBegan).count();
        state.ResumeTiming();
    }
    const double perRun = run / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["http_share"] = http / run;
    state.counters["us_per_security"] = perRun / count * 1e6;
    state.counters["lookup_pass_s"] =
        benchmark::Counter(lookups, benchmark::Counter::kAvgIterations);
    if (count == 500) runOf500[mode] = perRun;
    if (count != 500 && runOf500.contains(mode)) state.counters["x_500"] = perRun / runOf500[mode];
}
}  // namespace
}  // namespace corvane

// The run of 500 is timed over several runs, so that its ratio rests on more
// than one; each run of 500 comes before the run of 8,000 it is compared with.
int main(int argc, char** argv) {
    for (const int mode : {corvane::kUpdate, corvane::kRebuild})
        for (const int count : {500, 8000})
            benchmark::RegisterBenchmark("BM_DownloadRun", corvane::BM_DownloadRun)
                ->ArgNames({"securities", "update"})
                ->Args({count, mode})
                ->Iterations(count == 500 ? 5 : 1)
                ->UseRealTime()
                ->Unit(benchmark::kSecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
