#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DailyHistory.h"

namespace corvane::gateway {

// What one answer of Yahoo's v8 chart API says.
struct ChartAnswer {
    std::vector<DailyBar> bars;   // oldest first, dated by the exchange's local day
    std::string timezone;         // exchangeTimezoneName
    double marketPrice = 0;       // meta.regularMarketPrice
    std::int32_t marketDate = 0;  // meta.regularMarketTime as a local date
    bool notFound = false;        // chart.error.code "Not Found"
};

// The calendar date (YYYYMMDD) of a moment in an IANA time zone.
std::int32_t LocalDate(std::int64_t epochSeconds, const std::string& timezone);

// Reads a chart answer. Rows without prices are left out. Yahoo's prices
// are split-adjusted up to today: the traded prices come back by undoing
// every split dated after a bar (volume the other way); Adj Close is
// Yahoo's adjclose. No value for text that is no chart answer.
std::optional<ChartAnswer> ParseChart(const std::string& json);

// The symbol as Yahoo spells it: upper case, "^" kept; a US class share's
// dot becomes a dash (BRK.B -> BRK-B) while an exchange suffix stays
// (VOD.L, WSU.DE, ENI.MI).
std::string YahooSymbol(const std::string& symbol);

}  // namespace corvane::gateway
