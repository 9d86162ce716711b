#include "GroupIndex.h"

#include <cstdlib>
#include <functional>
#include <set>

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

// Every slot from 0 to the security's last bar gets one bar: its own of the
// day, or its next one when it has none. Returns the slot reached. The
// reader has the directory's entry table; `bars` is room for the bars.
// `use` (slot, close, volume) is called for every slot.
template <typename UseBar>
int ReadBars(StoreReader* reader, const std::string& symbol, std::vector<PriceBar>& bars,
             DayCalendar& calendar, std::int32_t first, std::int32_t last, const UseBar& use) {
    int w = 0;
    if (reader == nullptr || reader->ReadBarsBySymbol(symbol, bars) != Result::Ok) return w;
    std::int32_t previousDay = 0;
    for (const PriceBar& bar : bars) {
        if (w >= calendar.DayCount()) break;
        const std::int32_t day = StoreDateToCalendar(bar.date);
        if (day <= first || day > last || day <= previousDay) continue;
        const float volume = std::max(0.0f, bar.volume);
        DayCalendar::Alignment alignment;
        while ((alignment = calendar.Align(w, bar.date)) == DayCalendar::Alignment::MissingDay) {
            use(w, bar.close, volume);
            ++w;
        }
        if (alignment != DayCalendar::Alignment::Placed) continue;
        use(w, bar.close, volume);
        ++w;
        previousDay = day;
    }
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
                        const std::vector<PriceBar>& bars, Prompt& prompt) {
    const char* symbol = IndexSymbol(request.type);
    if (writer.Open(request.directory) != Result::Ok) {
        ShowOpenFailure(writer, prompt);
        return IndexOutcome::DirectoryInUse;
    }
    const bool stored = writer.OpenPriceFileForWrite(symbol, true) == Result::Ok &&
                        writer.AppendBars(bars) == Result::Ok &&
                        writer.ClosePriceFile() == Result::Ok;
    if (!stored) ShowNotStored(symbol, writer, prompt);
    writer.Close();
    return stored ? IndexOutcome::Written : IndexOutcome::NotStored;
}

// One bar per slot reached. A day without any volume has no volume weights:
// it keeps the previous day's value, and is left out before the first day
// that has one.
std::vector<PriceBar> IndexBars(const DayCalendar& calendar, const std::vector<float>& index,
                                const std::vector<float>& volumeTotal, bool volumeWeighted,
                                int slots) {
    std::vector<PriceBar> bars;
    for (int v = 0; v < slots; ++v) {
        float value = index[v];
        if (volumeWeighted && volumeTotal[v] == 0) {
            if (bars.empty()) continue;
            value = bars.back().close;
        }
        bars.push_back({calendar.DateAt(v), value, value, value, value, 0, 0});
    }
    return bars;
}

// Network errors of the capitalization requests: a failure that repeats for
// every security is shown once a run, not once per security.
class OnceShownErrors : public Prompt {
public:
    explicit OnceShownErrors(Prompt& inner) : inner_(inner) {}
    PromptAnswer Show(const std::string& text, const std::string& caption, PromptIcon icon,
                      PromptButtons buttons) override {
        lastError_ = text;
        if (!shown_.insert(text).second) return PromptAnswer::Ok;
        return inner_.Show(text, caption, icon, buttons);
    }
    const std::string& LastError() const { return lastError_; }

private:
    Prompt& inner_;
    std::set<std::string> shown_;
    std::string lastError_;
};

// Runs the phases over the securities that take part; each phase reports
// progress after every security and ends when the user cancels.
class IndexPhases {
public:
    IndexPhases(std::vector<std::string> taking, Prompt& prompt, EventPump& pump,
                Progress& progress)
        : taking_(std::move(taking)), prompt_(prompt), pump_(pump), progress_(progress) {}

    const std::vector<std::string>& Taking() const { return taking_; }

    // False when the user cancelled.
    bool Run(const char* text, const std::function<void(std::size_t)>& each) {
        progress_.SetText(text);
        int position = 0;
        for (std::size_t k = 0; k < taking_.size(); ++k) {
            each(k);
            position += static_cast<int>(taking_[k].size()) + 1;
            progress_.SetPosition(position);
            pump_.PumpMessages();
            if (progress_.IsCancelled()) {
                prompt_.Show("Process is cancelled by the user.", kAppCaption, PromptIcon::None,
                             PromptButtons::Ok);
                return false;
            }
        }
        return true;
    }

private:
    std::vector<std::string> taking_;
    Prompt& prompt_;
    EventPump& pump_;
    Progress& progress_;
};

// Capitalization figures of the securities, 0 where none was obtained. Once
// the service cannot be reached, the remaining securities are not asked.
bool FetchCaps(IndexPhases& phases, FetchSession& session, const std::string& quoteUrl,
               std::vector<float>& caps, float& capTotal) {
    OnceShownErrors errors(session.prompt);
    FetchSession quiet{session.http, errors};
    quiet.maxTransientRetries = session.maxTransientRetries;
    quiet.retryPauseMs = session.retryPauseMs;
    bool unreachable = false;
    return phases.Run("Downloading capitalization data ...", [&](std::size_t k) {
        std::optional<float> cap;
        if (!unreachable) cap = FetchCapitalization(quiet, quoteUrl, phases.Taking()[k]);
        if (!cap && IsTransientError(errors.LastError())) unreachable = true;
        caps.push_back(cap.value_or(0));
        capTotal += caps.back();
    });
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
    if (const auto why = NothingToCalculate(list)) {
        prompt.Show(*why, kAppCaption, PromptIcon::Information, PromptButtons::Ok);
        return IndexOutcome::NothingToDo;
    }
    const std::int32_t first = selection.commonFirstDate, last = selection.commonLastDate;
    if (first >= last) {
        prompt.Show("Invalid calculation period range.", kAppCaption, PromptIcon::Warning,
                    PromptButtons::Ok);
        return IndexOutcome::InvalidPeriod;
    }
    progress.SetRange(static_cast<int>(list.size()));
    StoreWriter writer(prompt, clock);
    if (const auto failed = EnsureOutput(writer, request, prompt)) return *failed;
    if (!StoreReader::IsDataDirectory(request.directory)) return IndexOutcome::NotADataDirectory;

    std::vector<std::string> taking;
    for (const std::string& symbol : SplitSymbolList(list))
        if (!symbol.empty() && !IsCalculatedSeries(symbol)) taking.push_back(symbol);
    IndexPhases phases(std::move(taking), prompt, pump, progress);
    const int dayCount = DaysBetween(first, last);
    DayCalendar calendar(dayCount);
    std::vector<float> index(dayCount), volumeTotal(dayCount), caps;
    float capTotal = 0;

    if (request.type == IndexType::Capitalization &&
        !FetchCaps(phases, session, request.quoteUrl, caps, capTotal))
        return IndexOutcome::Cancelled;
    // One reader for the reading phases: the entries are read once and every
    // price file in one read.
    StoreReader storeReader(prompt);
    StoreReader* reader =
        storeReader.Open(request.directory) == Result::Ok ? &storeReader : nullptr;
    if (reader != nullptr) reader->LoadEntryTable();
    std::vector<PriceBar> bars;
    if (request.type == IndexType::Volume &&
        !phases.Run("Preparing volume data ...", [&](std::size_t k) {
            ReadBars(reader, phases.Taking()[k], bars, calendar, first, last,
                     [&](int slot, float, float volume) { volumeTotal[slot] += volume; });
        }))
        return IndexOutcome::Cancelled;

    const float n = static_cast<float>(std::max(1, selection.selectedCount));
    int reached = 0;
    const bool done = phases.Run("Calculating index ...", [&](std::size_t k) {
        float weight = 1.0f / n;
        if (request.type == IndexType::Capitalization && caps[k] > 0) weight = caps[k] / capTotal;
        reached = ReadBars(reader, phases.Taking()[k], bars, calendar, first, last,
                           [&](int slot, float close, float volume) {
                               if (request.type != IndexType::Volume)
                                   index[slot] += weight * close;
                               else if (volumeTotal[slot] > 0)
                                   index[slot] += volume / volumeTotal[slot] * close;
                           });
    });
    storeReader.Close();
    if (!done) return IndexOutcome::Cancelled;
    return WriteIndex(
        writer, request,
        IndexBars(calendar, index, volumeTotal, request.type == IndexType::Volume, reached),
        prompt);
}

}  // namespace corvane
