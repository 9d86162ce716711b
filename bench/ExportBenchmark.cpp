// ASCII conversion of 300 securities x 5,000 bars with every field on, one
// file per security and one single file, beside a plain write of the same
// number of bytes in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "AsciiConverter.h"
#include "Clock.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane {
namespace {

constexpr int kSecurities = 300;
constexpr int kBarsEach = 5000;

class SilentPrompt : public Prompt {
public:
    PromptAnswer Show(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};

struct Directory {
    test::TempDir store;
    test::TempDir out;
    std::string symbols;

    Directory() {
        SilentPrompt prompt;
        SystemClock clock;
        StoreWriter writer(prompt, clock);
        (void)writer.CreateDirectory(store.Path());
        (void)writer.Open(store.Path());
        std::vector<PriceBar> bars;
        for (int k = 0; k < kBarsEach; ++k) {
            const float price = 10.0f + static_cast<float>(k % 97) * 0.25f;
            bars.push_back({1000103 + k, price, price + 1, price - 1, price, 1e5f, 7});
        }
        for (int i = 0; i < kSecurities; ++i) {
            std::string symbol = "SEC";
            symbol += std::to_string(i);
            (void)writer.AddSecurity(symbol, symbol, 'D');
            (void)writer.OpenPriceFileForWrite(symbol, false);
            (void)writer.AppendBars(bars);
            (void)writer.ClosePriceFile();
            symbols += " " + symbol;
        }
        writer.Close();
    }
};

Directory& TheDirectory() {
    static Directory directory;
    return directory;
}

ConversionOptions EveryField(bool single) {
    ConversionOptions options = ConversionOptions::Defaults();
    options.symbol = options.periodicity = options.openInterest = true;
    options.singleFile = single;
    options.BuildHeaderLine();
    return options;
}

std::uint64_t BytesUnder(const std::filesystem::path& folder) {
    std::uint64_t total = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        total += entry.file_size();
    return total;
}

void Convert(benchmark::State& state, bool single) {
    Directory& dir = TheDirectory();
    SilentPrompt prompt;
    for (auto _ : state) {
        ConversionOptions options = EveryField(single);
        AsciiConverter converter(prompt);
        benchmark::DoNotOptimize(
            converter.Convert(dir.store.Path(), dir.symbols, dir.out.Path(), options));
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * BytesUnder(dir.out.Path())));
    std::filesystem::remove_all(dir.out.Path());
    std::filesystem::create_directory(dir.out.Path());
}

void BM_ConvertFilePerSecurity(benchmark::State& state) {
    Convert(state, false);
}
void BM_ConvertSingleFile(benchmark::State& state) {
    Convert(state, true);
}

void BM_PlainWrite(benchmark::State& state) {
    Directory& dir = TheDirectory();
    // The size of the per-security output, written in one go.
    {
        ConversionOptions options = EveryField(false);
        SilentPrompt prompt;
        AsciiConverter(prompt).Convert(dir.store.Path(), dir.symbols, dir.out.Path(), options);
    }
    const std::uint64_t bytes = BytesUnder(dir.out.Path());
    const std::vector<char> block(1 << 16, 'x');
    for (auto _ : state) {
        std::FILE* file = std::fopen((dir.out / "plain.txt").c_str(), "w");
        for (std::uint64_t done = 0; done < bytes; done += block.size())
            std::fwrite(block.data(), 1, std::min<std::uint64_t>(block.size(), bytes - done), file);
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

BENCHMARK(BM_ConvertFilePerSecurity)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertSingleFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
