// Fetching and parsing two years of daily rows for 200 symbols from the
// gateway on loopback, over one kept-alive connection and over a fresh
// connection per request.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "CurlHttpClient.h"
#include "GatewayProcess.h"
#include "HistorySource.h"
#include "TempDir.h"

namespace corvane {
namespace {

constexpr int kSymbols = 200;

class SilentPrompt : public Prompt {
public:
    PromptAnswer Show(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};

struct BenchGateway {
    test::TempDir data;
    std::unique_ptr<test::GatewayProcess> gateway;

    BenchGateway() {
        for (int s = 0; s < kSymbols; ++s) {
            std::ofstream out(data / ("SYM" + std::to_string(s) + ".csv"));
            out << "Date,Open,High,Low,Close,Volume,Adj Close\n";
            for (int day = 0; day < 730; ++day) {
                const int date = 20230101 + (day / 28 % 12) * 100 + day % 28 + (day / 336) * 10000;
                char line[128];
                std::snprintf(line, sizeof line, "%04d-%02d-%02d,%d.25,%d.5,%d,%d.75,%d,%d.75\n",
                              date / 10000, date / 100 % 100, date % 100, 10 + day % 7,
                              11 + day % 7, 9 + day % 7, 10 + day % 7, 100000 + day, 10 + day % 7);
                out << line;
            }
        }
        gateway = std::make_unique<test::GatewayProcess>(data.Path());
    }
};

BenchGateway& Gateway() {
    static BenchGateway gateway;
    return gateway;
}

void FetchAll(benchmark::State& state, bool reuseConnections) {
    BenchGateway& gateway = Gateway();
    if (!gateway.gateway->Running()) state.SkipWithError("gateway did not start");
    SilentPrompt prompt;
    for (auto _ : state) {
        CurlHttpClient http(reuseConnections);
        FetchSession session{http, prompt};
        std::size_t rows = 0;
        for (int s = 0; s < kSymbols; ++s) {
            const HistoryFetch fetch =
                FetchHistory(session, gateway.gateway->BaseUrl(), "SYM" + std::to_string(s),
                             20230101, 20241231, Periodicity::Daily, DownloadMode::Overwrite);
            int adjusted = 0;
            for (const auto& row : fetch.rows) benchmark::DoNotOptimize(RowToBar(row, adjusted));
            rows += fetch.rows.size();
        }
        if (rows == 0) state.SkipWithError("no rows");
    }
    state.SetItemsProcessed(state.iterations() * kSymbols);
}

void BM_FetchReusedConnection(benchmark::State& state) {
    FetchAll(state, true);
}
void BM_FetchFreshConnections(benchmark::State& state) {
    FetchAll(state, false);
}
BENCHMARK(BM_FetchReusedConnection)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FetchFreshConnections)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
