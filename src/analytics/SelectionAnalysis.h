#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// One selected row of the security list; dates are calendar dates as
// YYYYMMDD integers.
struct SelectionRow {
    std::string symbol;
    std::int32_t firstDate = 0;
    std::int32_t lastDate = 0;
};

// "MM/DD/YYYY" as the security list shows it; no value for other text.
std::optional<std::int32_t> ParseDisplayDate(const std::string& text);
// A store date (YYYYMMDD, CYYMMDD or YYMMDD) as a calendar date YYYYMMDD, by
// the length of the number's text (a minus sign counting): eight characters
// are taken as they are, seven as CYYMMDD of the 2000s, others as YYMMDD of
// the 1900s.
std::int32_t AnyStoreDateToCalendar(std::int32_t storeDate);
// The same, inline for the usual forms: the calculations convert every bar's
// date. Below 2,000,000 both YYMMDD and CYYMMDD come to the date plus
// 19,000,000.
inline std::int32_t StoreDateToCalendar(std::int32_t storeDate) {
    if (storeDate >= 0 && storeDate < 2'000'000) return storeDate + 19'000'000;
    if (storeDate >= 10'000'000 && storeDate < 100'000'000) return storeDate;
    return AnyStoreDateToCalendar(storeDate);
}

// The symbols of a list separated by single spaces; an empty text has none.
std::vector<std::string> SplitSymbolList(const std::string& list);
// Calculated series ("#ADV", "#EQ_INDEX", ...) never take part in a calculation.
bool IsCalculatedSeries(const std::string& symbol);
// Why a calculation over the (trimmed) list would have nothing to read, or
// nothing when some security takes part.
std::optional<std::string> NothingToCalculate(const std::string& list);

// The period's last date moved back to Friday from a weekend, the first
// date moved forward to Monday.
std::int32_t AdjustedLastDate(std::int32_t date);
std::int32_t AdjustedFirstDate(std::int32_t date);

struct AvailabilityCounts {
    int totalSelected = 0;
    int missingFirst = 0;
    int missingLast = 0;
    int totalMissing = 0;  // rows missing either date, counted once
    int percentage = 0;    // totalMissing / totalSelected x 100, truncated; 0 with no rows

    bool AnyMissing() const { return missingFirst > 0 || missingLast > 0; }
};

struct Availability {
    AvailabilityCounts counts;
    std::string selectedList;        // " A B C"
    std::string missingList;         // the symbols missing the first or the last date, same form
    std::int32_t bestFirstDate = 0;  // latest first date of the rows
    std::int32_t bestLastDate = 0;   // earliest last date of the rows
};

Availability AnalyseAvailability(const std::vector<SelectionRow>& rows, std::int32_t firstDate,
                                 std::int32_t lastDate);

// What ran the analysis; it decides the comment and the buttons.
enum class AnalysisTrigger { Opening, Update, LastDateChange, FirstDateChange };

struct BreadthDialogState {
    std::string comments;
    bool updateEnabled = false;
    bool calculateEnabled = false;
    bool focusOnUpdate = false;  // else on Calculate
};

BreadthDialogState DialogStateAfter(AnalysisTrigger trigger, const AvailabilityCounts& counts,
                                    std::int32_t firstDate, std::int32_t lastDate);

// For each whole day d back from the period's last date, how many rows
// started exactly d days before it (rows that started before the period
// count nowhere). The percentage slider cuts on it.
class FirstDateHistogram {
public:
    FirstDateHistogram(const std::vector<SelectionRow>& rows, std::int32_t firstDate,
                       std::int32_t lastDate);
    // The first day index whose running share of rows exceeds `percent`.
    std::optional<int> Cut(int percent, int totalSelected) const;
    int DayCount() const { return static_cast<int>(counters_.size()) - 1; }

private:
    std::vector<int> counters_;
};

}  // namespace corvane
