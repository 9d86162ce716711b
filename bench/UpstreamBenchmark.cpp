// The gateway's upstream mode answering cached windows of 500 daily bars.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <thread>

#include "CurlHttpClient.h"
#include "GatewayProcess.h"
#include "TempDir.h"

namespace corvane {
namespace {

// A chart answer of 500 daily bars from 2 January 2020, 14:30 UTC.
std::string ChartOf500Bars() {
    nlohmann::json timestamps = nlohmann::json::array(), prices = nlohmann::json::array(),
                   volumes = nlohmann::json::array();
    for (int i = 0; i < 500; ++i) {
        timestamps.push_back(1577975400 + static_cast<std::int64_t>(i) * 86400);
        prices.push_back(100.0 + i % 17);
        volumes.push_back(1000000 + i);
    }
    nlohmann::json result = {
        {"meta", {{"exchangeTimezoneName", "America/New_York"}, {"regularMarketPrice", 100.0}}},
        {"timestamp", timestamps},
        {"indicators",
         {{"quote",
           {{{"open", prices},
             {"high", prices},
             {"low", prices},
             {"close", prices},
             {"volume", volumes}}}},
          {"adjclose", {{{"adjclose", prices}}}}}}};
    return nlohmann::json{{"chart", {{"result", {result}}, {"error", nullptr}}}}.dump();
}

struct Setup {
    httplib::Server upstream;
    std::thread thread;
    test::TempDir cache;
    std::unique_ptr<test::GatewayProcess> gateway;
    const std::string body = ChartOf500Bars();

    Setup() {
        upstream.Get(R"(/v8/finance/chart/.+)",
                     [this](const httplib::Request&, httplib::Response& r) {
                         r.set_content(body, "application/json");
                     });
        const int port = upstream.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { upstream.listen_after_bind(); });
        gateway = std::make_unique<test::GatewayProcess>(
            test::DemoDataDir(),
            std::vector<std::string>{"--upstream", "yahoo", "--upstream-url",
                                     "http://127.0.0.1:" + std::to_string(port), "--cache-dir",
                                     cache.Path().string(), "--today", "20250301"});
    }
    ~Setup() {
        gateway.reset();
        upstream.stop();
        thread.join();
    }
};

void BM_CachedWindow(benchmark::State& state) {
    static Setup setup;
    CurlHttpClient http;
    const std::string url = setup.gateway->BaseUrl() +
                            "/table.csv?s=SYM&a=00&b=01&c=2020&d=11&e=31&f=2021&g=d&ignore=.csv";
    if (http.Get(url).lines.size() < 500) state.SkipWithError("no answer");  // fills the cache
    for (auto _ : state) benchmark::DoNotOptimize(http.Get(url));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CachedWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
