#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "DailyHistory.h"

namespace corvane::gateway {

struct Answer {
    int status = 200;
    std::string contentType = "text/plain";
    std::string body;
};

// Query values as decoded from the request.
using Query = std::multimap<std::string, std::string>;

// The YYYYMMDD date of a query's year, month (counted from 0, as the services
// take it) and day values, kept within 0..99999999 whatever they hold;
// `fallback` when the year is absent.
std::int32_t QueryDate(const Query& query, const char* month, const char* day, const char* year,
                       std::int32_t fallback);

struct ServiceOptions {
    std::optional<std::int32_t> today;  // the quote day; the latest bar when absent
    std::string latestVersion;          // update code offered by /updates.asp; empty: none
    std::filesystem::path shareDir;     // where SymbolDatabaseEx2.dta is served from
};

// Answers every path of the quote provider, the FOREX service and the
// maker's server from a DailyHistory, in the layouts their callers read.
class QuoteService {
public:
    QuoteService(DailyHistory history, ServiceOptions options);
    Answer Handle(const std::string& path, const Query& query) const;

private:
    Answer HistoryTable(const Query& query) const;
    Answer Quotes(const Query& query) const;
    Answer QuotePage(const Query& query) const;
    Answer ForexQuotes(const Query& query) const;
    Answer SymbolDatabase() const;
    Answer Updates() const;
    const DailyBar* QuoteBar(const std::vector<DailyBar>& bars, const DailyBar** previous) const;

    DailyHistory history_;
    ServiceOptions options_;
};

}  // namespace corvane::gateway
