#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "FetchSession.h"
#include "PriceBar.h"

namespace corvane {

enum class Periodicity { Daily = 0, Weekly = 1, Monthly = 2 };
// Update adds bars after the stored ones; overwrite rebuilds the price file.
enum class DownloadMode { Update = 1, Overwrite = 2 };

// One accepted row of the history table: its date and its seven fields
// (date, open, high, low, close, volume, adjusted close).
struct HistoryRow {
    std::int32_t date = 0;  // YYYYMMDD
    std::vector<std::string> fields;
};

struct HistoryPage {
    std::vector<HistoryRow> rows;  // oldest first
    int newRecords = 0;            // rows dated after the start date
    bool rejected = false;         // the service does not know the symbol
    int dataLines = 0;             // row lines on the page, parsable or not
};

enum class FetchStatus { Ok, Rejected, Failed };

struct HistoryFetch {
    FetchStatus status = FetchStatus::Ok;
    std::vector<HistoryRow> rows;  // oldest first
    int newRecords = 0;
};

// "/table.csv" with s, a-f, g, z and y for dotted symbols, then ignore.
// baseUrl is the service's scheme and host, without a path.
std::string BuildHistoryUrl(const std::string& baseUrl, const std::string& symbol,
                            std::int32_t start, std::int32_t end, Periodicity periodicity,
                            DownloadMode mode, int page);

// YYYY-MM-DD or D-Mon-YY; no value for a text that is no valid date.
std::optional<std::int32_t> ParseRowDate(const std::string& field);

// Reads one page. Rows that do not parse (too few fields, no valid date) are
// skipped. forexRows: lines in the FOREX layout, reshaped first, oldest first.
HistoryPage ReadHistoryResponse(const std::vector<std::string>& lines, std::int32_t start,
                                bool forexRows = false);

// The bar to store: volume in hundreds, prices adjusted to the adjusted
// close (which raises adjustedFlag), the date as CYYMMDD.
PriceBar RowToBar(const HistoryRow& row, int& adjustedFlag);

// Fetches every page of a symbol's history.
HistoryFetch FetchHistory(FetchSession& session, const std::string& baseUrl,
                          const std::string& symbol, std::int32_t start, std::int32_t end,
                          Periodicity periodicity, DownloadMode mode);

// The start of a request: five days earlier in update mode.
std::int32_t RequestStart(std::int32_t start, DownloadMode mode);

// Splits at every comma.
std::vector<std::string> SplitFields(const std::string& line);

}  // namespace corvane
