#include "AnalyticsCommands.h"

#include "CDownloader.h"
#include "CalendarDate.h"
#include "CliApp.h"
#include "CliSettings.h"
#include "CurlHttpClient.h"
#include "DirectoryFiles.h"
#include "GroupIndex.h"
#include "MarketBreadth.h"
#include "ServiceSettings.h"
#include "StoreMessages.h"
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

std::optional<std::int32_t> ParseCliDate(std::string text) {
    std::erase(text, '-');
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::int32_t date = std::stoi(text);
    if (!IsValidDate(date)) return std::nullopt;
    return date;
}

// The rows the dialogs would read from the security list: the named
// securities, or all of them, in store order.
std::vector<SelectionRow> Rows(const CommandLine& line, CliContext& context) {
    const auto& words = line.Positional();
    std::vector<SelectionRow> all;
    StoreReader reader(context.prompt);
    if (reader.Open(words[0]) == Result::Ok) {
        while (reader.GetRemainingSecurities() > 0) {
            reader.NextSecurity();
            all.push_back({reader.GetSymbol(), StoreDateToCalendar(reader.GetFirstDate()),
                           StoreDateToCalendar(reader.GetLastDate())});
        }
        reader.Close();
    }
    if (words.size() == 1) return all;
    std::vector<SelectionRow> rows;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const auto found = std::find_if(all.begin(), all.end(), [&](const SelectionRow& row) {
            return EqualsNoCase(row.symbol, words[i]);
        });
        if (found != all.end()) {
            rows.push_back(*found);
        } else {
            context.prompt.Show(kCanNotFindSecurity + words[i], kStoreCaption, PromptIcon::None,
                                PromptButtons::Ok);
        }
    }
    return rows;
}

std::optional<IndexType> ParseIndexType(const std::string& text) {
    if (text == "equal") return IndexType::Equal;
    if (text == "cap") return IndexType::Capitalization;
    if (text == "volume") return IndexType::Volume;
    return std::nullopt;
}

}  // namespace

int BreadthCommand(const CommandLine& line, CliContext& context) {
    const auto from = ParseCliDate(line.Value("--from").value_or(""));
    const auto to = ParseCliDate(line.Value("--to").value_or(""));
    if (!from || !to) {
        context.err << "corvane-cli: breadth needs --from and --to as YYYYMMDD or YYYY-MM-DD\n";
        return kExitUsage;
    }
    const std::vector<SelectionRow> rows = Rows(line, context);
    const Availability availability = AnalyseAvailability(rows, *from, *to);
    const AvailabilityCounts& counts = availability.counts;
    context.out << "selected\t" << counts.totalSelected << "\nmissing first date\t"
                << counts.missingFirst << "\nmissing last date\t" << counts.missingLast
                << "\ntotal missing\t" << counts.totalMissing << "\npercentage missing\t"
                << counts.percentage << "%\n";
    QuietProgress progress;
    NoEvents events;
    const BreadthOutcome outcome = CalculateBreadth(
        {line.Positional()[0], availability.selectedList, availability.missingList, *from, *to},
        context.prompt, context.clock, events, progress);
    if (outcome != BreadthOutcome::Written) return kExitFailure;
    context.out << kCalculationsCompleted << '\n';
    return kExitOk;
}

int IndexCommand(const CommandLine& line, CliContext& context) {
    const auto type = ParseIndexType(line.Value("--type").value_or(""));
    if (!type) {
        context.err << "corvane-cli: index needs --type equal, cap or volume\n";
        return kExitUsage;
    }
    const ServiceUrls services = line.Value("--services") ? AllServicesAt(*line.Value("--services"))
                                                          : LoadServiceUrls(*UserSettings());
    CurlHttpClient http;
    FetchSession session{http, context.prompt};
    QuietProgress progress;
    NoEvents events;
    const IndexRequest request{line.Positional()[0], ReadIndexSelection(Rows(line, context)), *type,
                               services.quote};
    const IndexOutcome outcome = CalculateIndex(request, session, context.clock, events, progress);
    if (outcome != IndexOutcome::Written) return kExitFailure;
    context.out << IndexSymbol(*type) << '\n';
    return kExitOk;
}

}  // namespace corvane
