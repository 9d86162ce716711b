#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Clock.h"
#include "FetchSession.h"
#include "PriceBar.h"
#include "StoreWriter.h"

namespace corvane {

// One security's entry as the day quote needs it: first and last date in the
// entry's own form (CYYMMDD for a low entry, YYYYMMDD for an extended one).
struct QuoteTarget {
    std::string symbol;
    std::int32_t firstDate = 0;
    std::int32_t lastDate = 0;
    char periodicity = 'D';
};

// A quote found by a source, dated in the target's form.
struct DayQuote {
    std::int32_t date = 0;
    double open = 0, high = 0, low = 0, close = 0, volume = 0;
};

// The line of "/d/quotes.csv?f=sl1d1c1ohgv"; no value when it holds no quote.
std::optional<DayQuote> ParseQuoteLine(const std::string& line, bool lowEntry);
// The labels of the "/q" page; no value unless date, close, open, low and high are all there.
std::optional<DayQuote> ParseIndexPage(const std::vector<std::string>& lines, bool lowEntry,
                                       int currentYear);

// Rewrites the last bar (same date) or appends one within five days after it
// and moves the entry's last date. 1 when a bar was written, else 0.
int WriteDayQuote(StoreWriter& writer, const QuoteTarget& target, const DayQuote& quote);

// The day quote of a stock; hands over to the index page when the service
// has none. 1 when a bar was written, else 0 (also after a fatal error).
int FetchDayQuote(FetchSession& session, StoreWriter& writer, const Clock& clock,
                  const std::string& quoteBaseUrl, const QuoteTarget& target);
// 1 when a bar was written, 0 when none, -1 after a fatal fetch error.
int FetchIndexPage(FetchSession& session, StoreWriter& writer, const Clock& clock,
                   const std::string& quoteBaseUrl, const QuoteTarget& target);

}  // namespace corvane
