#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "HistorySource.h"

namespace corvane {

// A currency pair is a symbol holding "$"; the pair is its last six characters.
bool IsCurrencyPair(const std::string& symbol);
std::string PairOf(const std::string& symbol);

// "/FOREXQUOTE.txt" with the service's fixed query.
std::string BuildForexUrl(const std::string& baseUrl, const std::string& symbol, std::int32_t start,
                          std::int32_t end, Periodicity periodicity, DownloadMode mode);

// "EURUSD,D,20050315,000000,O,H,L,C,V" becomes "2005-03-15,O,H,L,C,V,C".
// No value for a Saturday line or a line not in that layout.
std::optional<std::string> ReshapeForexLine(const std::string& line);

HistoryFetch FetchForex(FetchSession& session, const std::string& baseUrl,
                        const std::string& symbol, std::int32_t start, std::int32_t end,
                        Periodicity periodicity, DownloadMode mode);

}  // namespace corvane
