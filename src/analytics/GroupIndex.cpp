#include "GroupIndex.h"

#include <cstdlib>
#include <functional>

#include "CDownloader.h"
#include "CalendarDate.h"
#include "DayCalendar.h"
#include "QueryText.h"
#include "StoreMessages.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace corvane {
namespace {

std::string DisplayDate(std::int32_t date) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date / 100 % 100, date % 100, date / 10000);
    return text;
}

std::vector<std::string> Symbols(const std::string& list) {
    std::vector<std::string> symbols;
    if (list.empty()) return symbols;
    for (std::size_t begin = 0;;) {
        const std::size_t space = list.find(' ', begin);
        symbols.push_back(list.substr(begin, space - begin));
        if (space == std::string::npos) return symbols;
        begin = space + 1;
    }
}

using UseBar = std::function<void(int slot, float close, float volume)>;

// Every slot from 0 to the security's last bar gets one bar: its own of the
// day, or its next one when it has none. Returns the slot reached.
int ReadBars(const std::filesystem::path& directory, const std::string& symbol, Prompt& prompt,
             DayCalendar& calendar, std::int32_t first, std::int32_t last, const UseBar& use) {
    StoreReader reader(prompt);
    int w = 0;
    if (reader.Open(directory) == Result::Ok &&
        reader.OpenPriceFileBySymbol(symbol) == Result::Ok) {
        std::int32_t previousDay = 0;
        const int count = reader.GetRemainingBars();
        for (int i = 0; i < count && w < calendar.DayCount(); ++i) {
            reader.ReadNextBar();
            const PriceBar& bar = reader.CurrentBar();
            const std::int32_t day = StoreDateToCalendar(bar.date);
            if (day <= first || day > last || day <= previousDay) continue;
            const float volume = std::max(0.0f, bar.volume);
            DayCalendar::Alignment alignment;
            while ((alignment = calendar.Align(w, bar.date)) ==
                   DayCalendar::Alignment::MissingDay) {
                use(w, bar.close, volume);
                ++w;
            }
            if (alignment != DayCalendar::Alignment::Placed) continue;
            use(w, bar.close, volume);
            ++w;
            previousDay = day;
        }
        reader.ClosePriceFile();
    }
    reader.Close();
    return w;
}

void ShowOpenFailure(const StoreWriter& writer, Prompt& prompt) {
    prompt.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
}

void ShowNotStored(const std::string& symbol, const StoreWriter& writer, Prompt& prompt) {
    prompt.Show(NotStoredText(symbol, writer.LastFailure()), kAppCaption, PromptIcon::Warning,
                PromptButtons::Ok);
}

std::optional<IndexOutcome> EnsureOutput(StoreWriter& writer, const IndexRequest& request,
                                         Prompt& prompt) {
    if (writer.Open(request.directory) != Result::Ok) {
        ShowOpenFailure(writer, prompt);
        return IndexOutcome::DirectoryInUse;
    }
    const char* symbol = IndexSymbol(request.type);
    if (writer.OpenPriceFileBySymbol(symbol) == Result::Ok) {
        (void)writer.ClosePriceFile();  // only looked for; nothing was written
    } else if (writer.AddSecurity(symbol, symbol, 'D') != Result::Ok) {
        ShowNotStored(symbol, writer, prompt);
        return IndexOutcome::NotStored;
    }
    writer.Close();
    return std::nullopt;
}

// The index is rebuilt beside the old one and replaces it only whole;
// closing also sets the entry's dates from the bars.
IndexOutcome WriteIndex(StoreWriter& writer, const IndexRequest& request,
                        const DayCalendar& calendar, const std::vector<float>& values, int slots,
                        Prompt& prompt) {
    const char* symbol = IndexSymbol(request.type);
    if (writer.Open(request.directory) != Result::Ok) {
        ShowOpenFailure(writer, prompt);
        return IndexOutcome::DirectoryInUse;
    }
    std::vector<PriceBar> bars;
    for (int v = 0; v < slots; ++v)
        bars.push_back({calendar.DateAt(v), values[v], values[v], values[v], values[v], 0, 0});
    const bool stored = writer.OpenPriceFileForWrite(symbol, true) == Result::Ok &&
                        writer.AppendBars(bars) == Result::Ok &&
                        writer.ClosePriceFile() == Result::Ok;
    if (!stored) ShowNotStored(symbol, writer, prompt);
    writer.Close();
    return stored ? IndexOutcome::Written : IndexOutcome::NotStored;
}

}  // namespace

const char* IndexSymbol(IndexType type) {
    switch (type) {
        case IndexType::Capitalization:
            return "#CAP_INDEX";
        case IndexType::Volume:
            return "#VOL_INDEX";
        default:
            return "#EQ_INDEX";
    }
}

IndexSelection ReadIndexSelection(const std::vector<SelectionRow>& rows) {
    IndexSelection selection;
    for (const SelectionRow& row : rows) {
        selection.symbolList += " " + row.symbol;
        if (selection.selectedCount == 0 || row.firstDate > selection.commonFirstDate)
            selection.commonFirstDate = row.firstDate;
        if (selection.selectedCount == 0 || row.lastDate < selection.commonLastDate)
            selection.commonLastDate = row.lastDate;
        ++selection.selectedCount;
    }
    selection.countText = "Number of selected symbols: " + std::to_string(selection.selectedCount);
    if (!rows.empty()) {
        // As the dialog shows them: the dates of the last row read.
        selection.firstDateText = "First available date: " + DisplayDate(rows.back().firstDate);
        selection.lastDateText = "Last available date: " + DisplayDate(rows.back().lastDate);
    }
    return selection;
}

std::optional<float> FetchCapitalization(FetchSession& session, const std::string& quoteUrl,
                                         const std::string& symbol) {
    const auto lines =
        FetchLines(session, quoteUrl + "/d/quotes.csv?s=" + PercentEncode(symbol) + "&f=f6");
    // A failure ends this request only: the index goes on with a weight of 1 / N.
    session.stopFlag = 0;
    if (!lines) return std::nullopt;
    float cap = 0;
    for (std::string line : *lines) {
        line = NormaliseSymbolList(line);
        if (line == "0") break;
        std::erase(line, ',');
        cap = static_cast<float>(std::atoll(line.c_str())) / 1000.0f;
    }
    return cap;
}

IndexOutcome CalculateIndex(const IndexRequest& request, FetchSession& session, const Clock& clock,
                            EventPump& pump, Progress& progress) {
    Prompt& prompt = session.prompt;
    const IndexSelection& selection = request.selection;
    const std::string list = NormaliseSymbolList(selection.symbolList);
    if (list.empty()) return IndexOutcome::NothingToDo;
    if (selection.commonFirstDate >= selection.commonLastDate) {
        prompt.Show("Invalid calculation period range.", kAppCaption, PromptIcon::Warning,
                    PromptButtons::Ok);
        return IndexOutcome::InvalidPeriod;
    }
    progress.SetRange(static_cast<int>(list.size()));
    StoreWriter writer(prompt, clock);
    if (const auto failed = EnsureOutput(writer, request, prompt)) return *failed;
    if (!StoreReader::IsDataDirectory(request.directory)) return IndexOutcome::NotADataDirectory;

    const int dayCount = DaysBetween(selection.commonFirstDate, selection.commonLastDate);
    const float n = static_cast<float>(std::max(1, selection.selectedCount));
    DayCalendar calendar(dayCount);
    std::vector<float> index(dayCount), volumeTotal(dayCount), closeSum(dayCount);
    std::vector<int> used(dayCount);
    std::vector<float> caps;
    float capTotal = 0;
    std::vector<std::string> taking;
    for (const std::string& symbol : Symbols(list))
        if (!symbol.empty() && symbol[0] != '#') taking.push_back(symbol);

    // Runs one phase over the securities; false when the user cancelled.
    auto phase = [&](const char* text, const std::function<void(std::size_t)>& each) {
        progress.SetText(text);
        int position = 0;
        for (std::size_t k = 0; k < taking.size(); ++k) {
            each(k);
            position += static_cast<int>(taking[k].size()) + 1;
            progress.SetPosition(position);
            pump.PumpMessages();
            if (progress.IsCancelled()) {
                prompt.Show("Process is cancelled by the user.", kAppCaption, PromptIcon::None,
                            PromptButtons::Ok);
                return false;
            }
        }
        return true;
    };
    const std::int32_t first = selection.commonFirstDate, last = selection.commonLastDate;

    if (request.type == IndexType::Capitalization &&
        !phase("Downloading capitalization data ...", [&](std::size_t k) {
            caps.push_back(FetchCapitalization(session, request.quoteUrl, taking[k]).value_or(0));
            capTotal += caps.back();
        }))
        return IndexOutcome::Cancelled;
    if (request.type == IndexType::Volume &&
        !phase("Preparing volume data ...", [&](std::size_t k) {
            ReadBars(request.directory, taking[k], prompt, calendar, first, last,
                     [&](int slot, float, float volume) { volumeTotal[slot] += volume; });
        }))
        return IndexOutcome::Cancelled;

    int reached = 0;
    const bool done = phase("Calculating index ...", [&](std::size_t k) {
        float weight = 1.0f / n;
        if (request.type == IndexType::Capitalization && caps[k] > 0) weight = caps[k] / capTotal;
        reached = ReadBars(request.directory, taking[k], prompt, calendar, first, last,
                           [&](int slot, float close, float volume) {
                               closeSum[slot] += close;
                               ++used[slot];
                               if (request.type != IndexType::Volume)
                                   index[slot] += weight * close;
                               else if (volumeTotal[slot] > 0)
                                   index[slot] += volume / volumeTotal[slot] * close;
                           });
    });
    if (!done) return IndexOutcome::Cancelled;
    // A day without volume has no volume weights: its closes count equally.
    if (request.type == IndexType::Volume)
        for (int s = 0; s < dayCount; ++s)
            if (volumeTotal[s] == 0 && used[s] > 0)
                index[s] = closeSum[s] / static_cast<float>(used[s]);
    return WriteIndex(writer, request, calendar, index, reached, prompt);
}

}  // namespace corvane
