#include "SelectionAnalysis.h"

#include <algorithm>
#include <cstdlib>

#include "CalendarDate.h"

namespace corvane {
namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<std::int32_t> ParseDisplayDate(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (text.size() < 10 || slash == std::string::npos) return std::nullopt;
    const std::string year = text.substr(text.size() - 4), month = text.substr(0, 2),
                      day = text.substr(slash + 1, 2);
    if (!AllDigits(year) || !AllDigits(month) || !AllDigits(day)) return std::nullopt;
    const std::int32_t date =
        MakeDate(std::atoi(year.c_str()), std::atoi(month.c_str()), std::atoi(day.c_str()));
    if (!IsValidDate(date)) return std::nullopt;
    return date;
}

std::int32_t AnyStoreDateToCalendar(std::int32_t storeDate) {
    const std::int32_t monthDay = storeDate % 10000;
    const std::size_t length = std::to_string(storeDate).size();
    if (length == 8) return storeDate;
    if (length == 7) return (2000 + storeDate / 10000 % 100) * 10000 + monthDay;
    return (1900 + storeDate / 10000 % 100) * 10000 + monthDay;
}

std::vector<std::string> SplitSymbolList(const std::string& list) {
    std::vector<std::string> symbols;
    if (list.empty()) return symbols;
    for (std::size_t begin = 0;;) {
        const std::size_t space = list.find(' ', begin);
        symbols.push_back(list.substr(begin, space - begin));
        if (space == std::string::npos) return symbols;
        begin = space + 1;
    }
}

bool IsCalculatedSeries(const std::string& symbol) {
    return !symbol.empty() && symbol[0] == '#';
}

std::optional<std::string> NothingToCalculate(const std::string& list) {
    const std::vector<std::string> symbols = SplitSymbolList(list);
    if (std::any_of(symbols.begin(), symbols.end(), [](const std::string& symbol) {
            return !symbol.empty() && !IsCalculatedSeries(symbol);
        }))
        return std::nullopt;
    if (symbols.empty())
        return "Every selected security misses data for the period: there is nothing to "
               "calculate.";
    return "Every selected symbol starts with \"#\" and is a calculated series, which takes no "
           "part: there is nothing to calculate. Select the securities to calculate from.";
}

std::int32_t AdjustedLastDate(std::int32_t date) {
    const int weekday = DayOfWeek(date);
    return weekday == 6 ? AddDays(date, -1) : weekday == 0 ? AddDays(date, -2) : date;
}

std::int32_t AdjustedFirstDate(std::int32_t date) {
    const int weekday = DayOfWeek(date);
    return weekday == 6 ? AddDays(date, 2) : weekday == 0 ? AddDays(date, 1) : date;
}

Availability AnalyseAvailability(const std::vector<SelectionRow>& rows, std::int32_t firstDate,
                                 std::int32_t lastDate) {
    Availability result;
    const std::int32_t adjustedFirst = AdjustedFirstDate(firstDate);
    const std::int32_t adjustedLast = AdjustedLastDate(lastDate);
    AvailabilityCounts& counts = result.counts;
    for (const SelectionRow& row : rows) {
        const bool missesLast = row.lastDate < adjustedLast;
        const bool missesFirst = row.firstDate > adjustedFirst;
        counts.missingLast += missesLast ? 1 : 0;
        counts.missingFirst += missesFirst ? 1 : 0;
        if (missesFirst || missesLast) {
            ++counts.totalMissing;
            result.missingList += " " + row.symbol;
        }
        result.selectedList += " " + row.symbol;
        ++counts.totalSelected;
        if (counts.totalSelected == 1 || row.firstDate > result.bestFirstDate)
            result.bestFirstDate = row.firstDate;
        if (counts.totalSelected == 1 || row.lastDate < result.bestLastDate)
            result.bestLastDate = row.lastDate;
    }
    // No rows: no share missing, rather than a division by zero.
    if (counts.totalSelected > 0)
        counts.percentage = counts.totalMissing * 100 / counts.totalSelected;
    return result;
}

BreadthDialogState DialogStateAfter(AnalysisTrigger trigger, const AvailabilityCounts& counts,
                                    std::int32_t firstDate, std::int32_t lastDate) {
    BreadthDialogState state;
    // A period without day slots cannot be calculated, however it was reached.
    const bool edited = trigger != AnalysisTrigger::Opening && trigger != AnalysisTrigger::Update;
    if (edited && firstDate >= lastDate) {
        state.comments = "Invalid calculation period range.";
        state.updateEnabled = state.focusOnUpdate = true;
        return state;
    }
    if (counts.AnyMissing()) {
        state.calculateEnabled = counts.missingFirst + counts.missingLast < counts.totalSelected;
        switch (trigger) {
            case AnalysisTrigger::Opening:
                state.comments =
                    "Missing data for the first or the last date. Update is recommended.";
                state.updateEnabled = state.focusOnUpdate = true;
                break;
            case AnalysisTrigger::Update:
                state.comments = "Securities with missing days will be ignored.";
                break;
            default:
                state.comments =
                    "Missing data for the first or the last date. Securities with missing data "
                    "will be ignored.";
                state.updateEnabled = state.focusOnUpdate = true;
                break;
        }
        return state;
    }
    if (trigger == AnalysisTrigger::Opening) {
        state.comments = "There are no missing data. Ready to calculate market breadth.";
        state.calculateEnabled = true;
        return state;
    }
    state.comments = "There are no missing days data for any security.";
    state.calculateEnabled = true;
    return state;
}

FirstDateHistogram::FirstDateHistogram(const std::vector<SelectionRow>& rows,
                                       std::int32_t firstDate, std::int32_t lastDate) {
    const int dayCount = std::max(0, DaysBetween(firstDate, lastDate));
    counters_.assign(static_cast<std::size_t>(dayCount) + 1, 0);
    for (const SelectionRow& row : rows) {
        if (row.firstDate < firstDate || !IsValidDate(row.firstDate)) continue;
        const int d = DaysBetween(row.firstDate, lastDate);
        if (d >= 0 && d <= dayCount) ++counters_[static_cast<std::size_t>(d)];
    }
}

std::optional<int> FirstDateHistogram::Cut(int percent, int totalSelected) const {
    if (totalSelected <= 0) return std::nullopt;
    int sum = 0;
    for (std::size_t i = 0; i < counters_.size(); ++i) {
        sum += counters_[i];
        const float share = static_cast<float>(sum) / static_cast<float>(totalSelected) * 100.0f;
        if (static_cast<float>(percent) < share) return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace corvane
