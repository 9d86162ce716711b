#include "DownloadCommands.h"

#include <fstream>
#include <memory>

#include "CDownloader.h"
#include "CalendarDate.h"
#include "CliApp.h"
#include "CliSettings.h"
#include "CurlHttpClient.h"
#include "ServiceSettings.h"
#include "StoreReader.h"

namespace corvane {
namespace {

class QuietProgress : public Progress {
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

// YYYYMMDD or YYYY-MM-DD.
std::optional<std::int32_t> ParseDate(std::string text) {
    std::erase(text, '-');
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::int32_t date = std::stoi(text);
    if (!IsValidDate(date)) return std::nullopt;
    return date;
}

std::optional<Periodicity> ParsePeriod(const std::string& text) {
    if (text == "daily") return Periodicity::Daily;
    if (text == "weekly") return Periodicity::Weekly;
    if (text == "monthly") return Periodicity::Monthly;
    return std::nullopt;
}

// Every symbol of a directory, each preceded by one space.
std::string AllSymbols(const std::string& directory, Prompt& prompt) {
    std::string symbols;
    StoreReader reader(prompt);
    if (reader.Open(directory) != Result::Ok) return symbols;
    while (reader.GetRemainingSecurities() > 0) {
        reader.NextSecurity();
        symbols += " " + reader.GetSymbol();
    }
    reader.Close();
    return symbols;
}

struct RunOptions {
    std::int32_t from = 0;
    std::int32_t to = 0;
    Periodicity period = Periodicity::Daily;
    ServiceUrls services;
};

std::optional<RunOptions> ReadRunOptions(const CommandLine& line, CliContext& context) {
    RunOptions options;
    const std::int32_t today = context.clock.Now().YyyyMmDd();
    const auto to = ParseDate(line.Value("--to").value_or(std::to_string(today)));
    if (!to) return std::nullopt;
    const auto from = ParseDate(line.Value("--from").value_or(std::to_string(*to - 20000)));
    const auto period = ParsePeriod(line.Value("--period").value_or("daily"));
    if (!from || !period) return std::nullopt;
    options.from = *from;
    options.to = *to;
    options.period = *period;
    options.services = line.Value("--services") ? AllServicesAt(*line.Value("--services"))
                                                : LoadServiceUrls(*UserSettings());
    return options;
}

int PrintReport(CliContext& context, const std::filesystem::path& path) {
    std::ifstream report(path);
    std::string text;
    while (std::getline(report, text)) context.out << text << '\n';
    return kExitOk;
}

int Run(CliContext& context, const RunOptions& options, const std::string& directory,
        const std::string& symbols, const BatchTable* batch, bool overwrite) {
    CurlHttpClient http;
    NoEvents events;
    QuietProgress progress;
    const std::filesystem::path reportPath = DefaultReportPath();
    CDownloader downloader(http, context.prompt, context.clock, events, options.services,
                           reportPath);
    downloader.SetDirectory(directory);
    downloader.SetOverwrite(overwrite);
    downloader.SetBatch(batch);
    downloader.SetWriterWait(context.wait);
    // Up to date and stopped runs alike leave a report worth printing.
    const Result result =
        downloader.RunDownload(symbols, options.from, options.to, options.period, progress);
    if (std::filesystem::exists(reportPath)) PrintReport(context, reportPath);
    return result == Result::Ok ? kExitOk : kExitFailure;
}

}  // namespace

int DownloadCommand(const CommandLine& line, CliContext& context) {
    const auto options = ReadRunOptions(line, context);
    if (!options) {
        context.err << "corvane-cli: bad --from, --to or --period\n";
        return kExitUsage;
    }
    const auto& words = line.Positional();
    std::string symbols;
    for (std::size_t i = 1; i < words.size(); ++i) symbols += " " + words[i];
    if (symbols.empty()) symbols = AllSymbols(words[0], context.prompt);
    return Run(context, *options, words[0], symbols, nullptr, line.Has("--overwrite"));
}

int BatchCommand(const CommandLine& line, CliContext& context) {
    const auto options = ReadRunOptions(line, context);
    const auto& words = line.Positional();
    if (!options || words.size() > BatchTable::kSlots) {
        context.err << "corvane-cli: at most " << BatchTable::kSlots << " directories\n";
        return kExitUsage;
    }
    BatchTable batch;
    for (const std::string& directory : words) {
        BatchEntry& slot = batch.slots[batch.filled++];
        std::filesystem::path path(directory);
        if (path.has_filename() == false) path = path.parent_path();
        slot.selected = true;
        slot.path = path.string();
        slot.name = path.filename().string();
        slot.symbols = AllSymbols(directory, context.prompt);
        slot.count = static_cast<int>(std::count(slot.symbols.begin(), slot.symbols.end(), ' '));
    }
    return Run(context, *options, words[0], "", &batch, false);
}

}  // namespace corvane
