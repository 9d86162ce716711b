#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane::gateway {

struct DailyBar {
    std::int32_t date = 0;  // YYYYMMDD
    double open = 0, high = 0, low = 0, close = 0, volume = 0, adjClose = 0;
};

// The gateway's data: one "<SYMBOL>.csv" per symbol (columns Date,Open,High,
// Low,Close,Volume,Adj Close; dates YYYY-MM-DD; rows in any order). A symbol
// holding characters a file name cannot (such as "/") is written
// percent-encoded in its file name: "BRK%2FB.csv" serves BRK/B. Symbols are
// matched without regard to case. An optional "shares.csv" holds
// "SYMBOL,shares outstanding" lines.
class DailyHistory {
public:
    static DailyHistory Load(const std::filesystem::path& directory);

    // Bars oldest first; no value for an unknown symbol.
    const std::vector<DailyBar>* Find(const std::string& symbol) const;
    std::optional<std::int64_t> Shares(const std::string& symbol) const;

    void Add(const std::string& symbol, std::vector<DailyBar> bars);

private:
    std::map<std::string, std::vector<DailyBar>> bars_;
    std::map<std::string, std::int64_t> shares_;
};

// Weekly (weeks from Monday) and monthly bars from daily ones: first open,
// highest high, lowest low, last close, summed volume, last adjusted close,
// dated on the period's first trading day.
std::vector<DailyBar> Aggregate(const std::vector<DailyBar>& daily, char period);

std::string UpperCase(std::string text);
std::string PercentDecode(const std::string& text);

}  // namespace corvane::gateway
