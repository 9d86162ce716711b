#include "MarketBreadth.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "CDownloader.h"
#include "CalendarDate.h"
#include "DayCalendar.h"
#include "LookbackWindow.h"
#include "SelectionAnalysis.h"
#include "StoreMessages.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace corvane {
namespace {

constexpr std::size_t kProgressThreshold = 200;

struct Series {
    const char* symbol;
    const char* name;
};
constexpr Series kSeries[] = {{"#ADV", "ADVANCED ISSUES"},
                              {"#DECL", "DECLINED ISSUES"},
                              {"#UNCH", "UNCHANGED ISSUES"},
                              {"#HIGHS", "NEW HIGHS"},
                              {"#LOWS", "NEW LOWS"}};

// Per-day results, sized by the period: memory grows with the days only.
struct BreadthDays {
    explicit BreadthDays(int days)
        : calendar(days),
          advances(days),
          declines(days),
          unchanged(days),
          upVolume(days),
          downVolume(days),
          unchangedVolume(days),
          newHighs(days, -1),
          newLows(days, -1) {}

    DayCalendar calendar;
    std::vector<int> advances, declines, unchanged;
    std::vector<float> upVolume, downVolume, unchangedVolume;
    std::vector<int> newHighs, newLows;
};

// Takes one security's bars into the day arrays; returns the slot reached.
// Each slot the security passes holds the high and low of the bar that
// passed it; `window` keeps their extremes over the last LOOKBACK_DAYS slots.
// Runs for every bar of every security: the arrays are reached through plain
// pointers.
int ReadSecurity(std::span<const PriceBar> bars, BreadthDays& days, LookbackWindow& window,
                 std::int32_t firstDate, std::int32_t lastDate) {
    int* const advances = days.advances.data();
    int* const declines = days.declines.data();
    int* const unchanged = days.unchanged.data();
    float* const upVolume = days.upVolume.data();
    float* const downVolume = days.downVolume.data();
    float* const unchangedVolume = days.unchangedVolume.data();
    int* const newHighs = days.newHighs.data();
    int* const newLows = days.newLows.data();
    const int dayCount = days.calendar.DayCount();
    float referenceClose = 0;
    int w = 0;
    std::int32_t previousDay = 0;
    window.Clear();
    for (const PriceBar& bar : bars) {
        const std::int32_t day = StoreDateToCalendar(bar.date);
        if (day < firstDate || day > lastDate) continue;
        if (day == firstDate) {
            referenceClose = bar.close;
            continue;
        }
        // Bars out of order or repeated would bend the calendar: they are skipped.
        if (day <= previousDay) continue;
        DayCalendar::Alignment alignment;
        while (true) {
            if (w >= dayCount) return w;
            alignment = days.calendar.Align(w, bar.date);
            if (alignment != DayCalendar::Alignment::MissingDay) break;
            unchanged[w] += 1;
            window.Add(w, bar.high, bar.low);
            ++w;
        }
        if (alignment != DayCalendar::Alignment::Placed) continue;
        previousDay = day;
        const float volume = std::max(0.0f, bar.volume);
        if (bar.close > referenceClose) {
            advances[w] += 1;
            upVolume[w] += volume;
        } else if (bar.close < referenceClose) {
            declines[w] += 1;
            downVolume[w] += volume;
        } else {
            unchanged[w] += 1;
            unchangedVolume[w] += volume;
        }
        if (w >= LOOKBACK_DAYS) {
            // A highest high of 0 or below, or a lowest low of NO_LOW or
            // above, counts as none found. -1 in a count means no security
            // could be judged there yet; the first judged one starts it.
            const float highest = window.Highest(w);
            const float lowest = window.Lowest(w);
            if (highest > 0) newHighs[w] = std::max(newHighs[w], 0) + (bar.high > highest ? 1 : 0);
            if (lowest < NO_LOW) newLows[w] = std::max(newLows[w], 0) + (bar.low < lowest ? 1 : 0);
        }
        window.Add(w, bar.high, bar.low);
        ++w;
        referenceClose = bar.close;
    }
    return w;
}

float CountValue(int count) {
    return count == 1 ? -1.0f : static_cast<float>(count);
}
float ExtremeValue(int count) {
    return count == -1 ? 0.0f : static_cast<float>(count);
}

// Through a writer open on the directory.
bool WriteSeries(StoreWriter& writer, int series, const BreadthDays& days, int slots,
                 Prompt& prompt) {
    const char* symbol = kSeries[series].symbol;
    std::vector<PriceBar> bars;
    for (int v = 0; v < slots; ++v) {
        // A day on which one security moved and no other did is left out.
        const std::pair moved{days.advances[v], days.declines[v]};
        if (moved == std::pair{0, 1} || moved == std::pair{1, 0}) continue;
        float value = 0, volume = 0;
        switch (series) {
            case 0:
                value = CountValue(days.advances[v]), volume = days.upVolume[v];
                break;
            case 1:
                value = CountValue(days.declines[v]), volume = days.downVolume[v];
                break;
            case 2:
                value = CountValue(days.unchanged[v]), volume = days.unchangedVolume[v];
                break;
            case 3:
                value = ExtremeValue(days.newHighs[v]);
                break;
            default:
                value = ExtremeValue(days.newLows[v]);
                break;
        }
        bars.push_back({days.calendar.DateAt(v), value, value, value, value, volume, 0});
    }
    // The series is rebuilt beside the old one and replaces it only whole;
    // closing also sets the entry's dates from the bars.
    const bool stored = writer.OpenPriceFileForWrite(symbol, true) == Result::Ok &&
                        writer.AppendBars(bars) == Result::Ok &&
                        writer.ClosePriceFile() == Result::Ok;
    if (!stored)
        prompt.Show(NotStoredText(symbol, writer.LastFailure()), kAppCaption, PromptIcon::Warning,
                    PromptButtons::Ok);
    return stored;
}

}  // namespace

std::string RemoveMissing(const std::string& selectedList, const std::string& missingList) {
    std::string selected = " ";
    selected += NormaliseSymbolList(selectedList);
    selected += ' ';
    for (const std::string& symbol : SplitSymbolList(NormaliseSymbolList(missingList))) {
        const std::size_t at = selected.find(" " + symbol + " ");
        if (at != std::string::npos) selected.erase(at, symbol.size() + 1);
    }
    return NormaliseSymbolList(selected);
}

BreadthOutcome CalculateBreadth(const BreadthRequest& request, Prompt& prompt, const Clock& clock,
                                EventPump& pump, Progress& progress) {
    if (request.firstDate >= request.lastDate) {
        prompt.Show("Invalid calculation period range.", kAppCaption, PromptIcon::Warning,
                    PromptButtons::Ok);
        return BreadthOutcome::InvalidPeriod;
    }
    if (NormaliseSymbolList(request.selectedList).empty()) return BreadthOutcome::NothingToDo;
    const std::string list = RemoveMissing(request.selectedList, request.missingList);
    if (const auto why = NothingToCalculate(list)) {
        prompt.Show(*why, kAppCaption, PromptIcon::Information, PromptButtons::Ok);
        return BreadthOutcome::NothingToDo;
    }

    StoreWriter writer(prompt, clock);
    if (writer.Open(request.directory) != Result::Ok) {
        prompt.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning,
                    PromptButtons::Ok);
        return BreadthOutcome::DirectoryInUse;
    }
    for (const Series& series : kSeries) {
        if (writer.OpenPriceFileBySymbol(series.symbol) == Result::Ok) {
            (void)writer.ClosePriceFile();  // only looked for; nothing was written
        } else if (writer.AddSecurity(series.symbol, series.name, 'D') != Result::Ok) {
            prompt.Show(NotStoredText(series.symbol, writer.LastFailure()), kAppCaption,
                        PromptIcon::Warning, PromptButtons::Ok);
            return BreadthOutcome::NotStored;
        }
    }
    writer.Close();

    const bool showProgress = list.size() > kProgressThreshold;
    progress.SetText("Calculating market breadth data ...");
    if (showProgress) progress.SetRange(static_cast<int>(list.size()));
    if (!StoreReader::IsDataDirectory(request.directory)) return BreadthOutcome::NotADataDirectory;

    std::optional<BreadthDays> days;
    int reached = 0;
    int position = 0;
    // One reader for the run: the entries are read once and every price file
    // in one read.
    StoreReader reader(prompt);
    const bool opened = reader.Open(request.directory) == Result::Ok;
    if (opened) reader.LoadEntryTable();
    std::vector<PriceBar> bars;
    LookbackWindow window(LOOKBACK_DAYS);
    for (const std::string& symbol : SplitSymbolList(list)) {
        if (opened && !symbol.empty() && !IsCalculatedSeries(symbol) &&
            reader.ReadBarsBySymbol(symbol, bars) == Result::Ok) {
            if (!days) days.emplace(DaysBetween(request.firstDate, request.lastDate));
            reached = ReadSecurity(bars, *days, window, request.firstDate, request.lastDate);
        }
        if (showProgress) {
            position += static_cast<int>(symbol.size()) + 1;
            progress.SetPosition(position);
            pump.PumpMessages();
            if (progress.IsCancelled()) {
                prompt.Show("Calculation is cancelled", kAppCaption, PromptIcon::None,
                            PromptButtons::Ok);
                break;
            }
        }
    }
    reader.Close();
    // One writer for the five series; each is still rebuilt beside its old
    // bars and replaces them whole.
    if (writer.Open(request.directory) != Result::Ok) {
        prompt.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning,
                    PromptButtons::Ok);
        return BreadthOutcome::NotStored;
    }
    const BreadthDays empty(0);
    for (int series = 0; series < 5; ++series)
        if (!WriteSeries(writer, series, days ? *days : empty, days ? reached : 0, prompt))
            return BreadthOutcome::NotStored;
    writer.Close();
    return BreadthOutcome::Written;
}

}  // namespace corvane
