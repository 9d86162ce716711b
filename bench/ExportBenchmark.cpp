// ASCII conversion of every field of 255 securities x 5,000 bars, and of
// 4,000 and 16,000 securities x 250 bars, into one file, beside a plain read
// of the same bytes in the same run. Counters: x_plain_read, the export's
// time over that of reading every file of the directory with fread;
// x_read_write, over that read plus a plain write of the bytes the export
// writes. A conversion that walked the directory once per symbol would grow
// with the square of the securities; these ratios stay level.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "AsciiConverter.h"
#include "BenchDirectory.h"

namespace corvane {
namespace {

struct Fixture {
    bench::ScratchDir store;
    bench::ScratchDir out;
    std::string symbols;
    double plainRead = 0;  // seconds

    Fixture(int securities, int bars)
        : store("export-" + std::to_string(securities)),
          out("export-out-" + std::to_string(securities)) {
        bench::WriteDataDirectory(store.Path(), "SEC", securities,
                                  bench::WeekdayBars(bars, 19900102));
        for (int i = 0; i < securities; ++i) symbols += " " + bench::Symbol("SEC", i);
        bench::ReadEveryFile(store.Path());  // into the page cache
        plainRead = bench::MedianSeconds(5, [&] { bench::ReadEveryFile(store.Path()); });
    }
};

Fixture& FixtureFor(int securities, int bars) {
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto& fixture = fixtures[securities];
    if (!fixture) fixture = std::make_unique<Fixture>(securities, bars);
    return *fixture;
}

ConversionOptions EveryFieldOneFile() {
    ConversionOptions options = ConversionOptions::Defaults();
    options.symbol = options.periodicity = options.openInterest = true;
    options.singleFile = true;
    options.BuildHeaderLine();
    return options;
}

// Writing `bytes` to a file in 64 KiB blocks.
double PlainWriteSeconds(const std::filesystem::path& path, std::uint64_t bytes) {
    const std::vector<char> block(1 << 16, 'x');
    return bench::MedianSeconds(3, [&] {
        std::FILE* file = std::fopen(path.c_str(), "w");
        for (std::uint64_t done = 0; done < bytes; done += block.size())
            std::fwrite(block.data(), 1, std::min<std::uint64_t>(block.size(), bytes - done), file);
        std::fclose(file);
    });
}

void BM_ConvertEveryFieldOneFile(benchmark::State& state) {
    const int securities = static_cast<int>(state.range(0));
    Fixture& fixture = FixtureFor(securities, static_cast<int>(state.range(1)));
    bench::SilentPrompt prompt;
    double seconds = 0;
    for (auto _ : state) {
        ConversionOptions options = EveryFieldOneFile();
        AsciiConverter converter(prompt);
        const auto began = std::chrono::steady_clock::now();
        const int converted =
            converter.Convert(fixture.store.Path(), fixture.symbols, fixture.out.Path(), options);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        if (converted != securities) state.SkipWithError("not every security was converted");
    }
    const auto output = fixture.out.Path() / "ascii_file.txt";
    const std::uint64_t written = std::filesystem::file_size(output);
    const double plainWrite = PlainWriteSeconds(fixture.out.Path() / "plain.txt", written);
    std::filesystem::remove(output);
    std::filesystem::remove(fixture.out.Path() / "plain.txt");
    const double perRun = seconds / static_cast<double>(state.iterations());
    state.counters["x_plain_read"] = perRun / fixture.plainRead;
    state.counters["x_read_write"] = perRun / (fixture.plainRead + plainWrite);
    state.counters["MB_written"] = static_cast<double>(written) / 1e6;
    state.SetItemsProcessed(state.iterations() * securities);
}
BENCHMARK(BM_ConvertEveryFieldOneFile)
    ->ArgNames({"securities", "bars"})
    ->Args({255, 5000})
    ->Args({4000, 250})
    ->Args({16000, 250})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
