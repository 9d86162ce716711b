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
