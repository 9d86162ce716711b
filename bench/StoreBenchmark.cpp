// Reading rate of the store against a plain sequential read of the same price
// files, and the cost of filling a new directory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "Clock.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace corvane {
namespace {

constexpr int kSecurities = 300;  // 255 low, 45 extended
constexpr int kBarsEach = 5000;

class SilentPrompt : public Prompt {
public:
    PromptAnswer Show(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};

std::filesystem::path ScratchDir(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(dir);
    return dir;
}

struct BenchDirectory {
    std::filesystem::path path = ScratchDir("corvane-bench-read");
    std::vector<std::string> symbols;
    std::vector<std::filesystem::path> priceFiles;
    std::uint64_t priceBytes = 0;

    BenchDirectory() {
        SilentPrompt prompt;
        SystemClock clock;
        StoreWriter writer(prompt, clock);
        if (writer.CreateDirectory(path) != Result::Ok || writer.Open(path) != Result::Ok) return;
        for (int i = 0; i < kSecurities; ++i) {
            const std::string symbol = "SEC" + std::to_string(i);
            std::filesystem::path priceFile;
            if (writer.AddSecurityWithDates(symbol, symbol, 'D', 20000103, 20191231, priceFile) !=
                    Result::Ok ||
                writer.OpenPriceFileForWrite(symbol, false) != Result::Ok)
                return;
            for (int k = 0; k < kBarsEach; ++k) {
                const float price = 10.0f + static_cast<float>(k % 97) * 0.25f;
                (void)writer.AppendBar({1000103 + k, price, price + 1, price - 1, price, 1e5f, 0});
            }
            (void)writer.ClosePriceFile();
            symbols.push_back(symbol);
            priceFiles.push_back(priceFile);
            priceBytes += std::filesystem::file_size(priceFile);
        }
        writer.Close();
    }
    ~BenchDirectory() { std::filesystem::remove_all(path); }
};

const BenchDirectory& Directory() {
    static const BenchDirectory directory;
    return directory;
}

void BM_StoreReadAllBars(benchmark::State& state) {
    const BenchDirectory& dir = Directory();
    SilentPrompt prompt;
    for (auto _ : state) {
        StoreReader reader(prompt);
        if (reader.Open(dir.path) != Result::Ok) state.SkipWithError("cannot open");
        double sum = 0;
        // The search goes forward, so one open serves the whole directory in order.
        for (const auto& symbol : dir.symbols) {
            if (reader.OpenPriceFileBySymbol(symbol) != Result::Ok) state.SkipWithError("missing");
            while (reader.GetRemainingBars() > 0) {
                reader.ReadNextBar();
                sum += reader.GetBarClose();
            }
            reader.ClosePriceFile();
        }
        reader.Close();
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * dir.priceBytes));
}
BENCHMARK(BM_StoreReadAllBars)->Unit(benchmark::kMillisecond);

void BM_PlainSequentialRead(benchmark::State& state) {
    const BenchDirectory& dir = Directory();
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        std::uint64_t total = 0;
        for (const auto& path : dir.priceFiles) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            if (file == nullptr) continue;
            std::size_t got;
            while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) total += got;
            std::fclose(file);
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * dir.priceBytes));
}
BENCHMARK(BM_PlainSequentialRead)->Unit(benchmark::kMillisecond);

void BM_AddSecurities(benchmark::State& state) {
    SilentPrompt prompt;
    SystemClock clock;
    const std::filesystem::path path = ScratchDir("corvane-bench-add");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(path);
        state.ResumeTiming();
        StoreWriter writer(prompt, clock);
        if (writer.CreateDirectory(path) != Result::Ok || writer.Open(path) != Result::Ok)
            state.SkipWithError("cannot create");
        for (int i = 0; i < kSecurities; ++i)
            (void)writer.AddSecurity("NEW" + std::to_string(i), "New security", 'D');
        writer.Close();
    }
    std::filesystem::remove_all(path);
    state.SetItemsProcessed(state.iterations() * kSecurities);
}
BENCHMARK(BM_AddSecurities)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
