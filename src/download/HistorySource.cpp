#include "HistorySource.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "CalendarDate.h"
#include "Coding.h"
#include "ForexSource.h"
#include "QueryText.h"

namespace corvane {
namespace {

constexpr int kRowsPerPage = 200;
// Far beyond any real history (100,000 rows); a service that always answers a
// full page must not hold the run for ever.
constexpr int kMaxPages = 500;
constexpr int kRowFields = 7;

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && !text.empty();
}

float ParseNumber(const std::string& text) {
    std::size_t begin = text.find_first_not_of(" \t\"");
    if (begin == std::string::npos) return 0;
    float value = 0;
    auto [ptr, error] = std::from_chars(text.data() + begin, text.data() + text.size(), value);
    return error == std::errc() ? value : 0;
}

std::string DateQuery(std::int32_t date, const char* month, const char* day, const char* year) {
    return std::string("&") + month + "=" + TwoDigits(date / 100 % 100 - 1) + "&" + day + "=" +
           TwoDigits(date % 100) + "&" + year + "=" + std::to_string(date / 10000);
}

const char* PeriodCode(Periodicity periodicity) {
    switch (periodicity) {
        case Periodicity::Weekly:
            return "w";
        case Periodicity::Monthly:
            return "m";
        default:
            return "d";
    }
}

bool IsRejection(const std::string& line) {
    return line.find("Not Found") != std::string::npos ||
           line.find("not found") != std::string::npos;
}

}  // namespace

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

std::int32_t RequestStart(std::int32_t start, DownloadMode mode) {
    if (mode != DownloadMode::Update || !IsValidDate(start)) return start;
    return AddDays(start, -5);
}

std::string BuildHistoryUrl(const std::string& baseUrl, const std::string& symbol,
                            std::int32_t start, std::int32_t end, Periodicity periodicity,
                            DownloadMode mode, int page) {
    std::string url = baseUrl + "/table.csv?s=" + PercentEncode(symbol);
    url += DateQuery(RequestStart(start, mode), "a", "b", "c");
    url += DateQuery(end, "d", "e", "f");
    url += std::string("&g=") + PeriodCode(periodicity);
    if (symbol.find('.') != std::string::npos)
        url += "&z=200&y=" + std::to_string(kRowsPerPage * page);
    return url + "&ignore=.csv";
}

std::optional<std::int32_t> ParseRowDate(const std::string& field) {
    const std::size_t dash = field.find('-');
    if (dash == std::string::npos) return std::nullopt;
    int year = 0, month = 0, day = 0;
    if (dash == 4) {
        if (field.size() != 10 || field[7] != '-' || !ParseInt(field.substr(0, 4), year) ||
            !ParseInt(field.substr(5, 2), month) || !ParseInt(field.substr(8, 2), day))
            return std::nullopt;
    } else {
        static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        const std::size_t second = field.find('-', dash + 1);
        if (second == std::string::npos || field.size() - second != 3) return std::nullopt;
        const std::string name = field.substr(dash + 1, second - dash - 1);
        const auto found = std::find(std::begin(kMonths), std::end(kMonths), name);
        if (found == std::end(kMonths) || !ParseInt(field.substr(0, dash), day) ||
            !ParseInt(field.substr(second + 1), year))
            return std::nullopt;
        month = static_cast<int>(found - std::begin(kMonths)) + 1;
        year += (field[second + 1] == '0' || field[second + 1] == '1') ? 2000 : 1900;
    }
    const std::int32_t date = MakeDate(year, month, day);
    if (!IsValidDate(date)) return std::nullopt;
    return date;
}

HistoryPage ReadHistoryResponse(const std::vector<std::string>& lines, std::int32_t start,
                                bool forexRows) {
    HistoryPage page;
    for (const std::string& raw : lines) {
        if (IsRejection(raw)) {
            page.rejected = true;
            break;
        }
        if (raw.empty() || raw[0] == '<' || raw[0] == 'D') continue;
        ++page.dataLines;
        // A history line is split where it is; a FOREX line is reshaped first.
        std::optional<std::string> reshaped;
        if (forexRows && !(reshaped = ReshapeForexLine(raw))) continue;
        std::vector<std::string> fields = SplitFields(reshaped ? *reshaped : raw);
        if (fields.size() < kRowFields) continue;
        const std::optional<std::int32_t> date = ParseRowDate(fields[0]);
        if (!date) continue;
        if (*date > start) ++page.newRecords;
        fields.resize(kRowFields);
        page.rows.push_back({*date, std::move(fields)});
    }
    if (!forexRows) std::reverse(page.rows.begin(), page.rows.end());
    return page;
}

PriceBar RowToBar(const HistoryRow& row, int& adjustedFlag) {
    float open = ParseNumber(row.fields[1]);
    float high = ParseNumber(row.fields[2]);
    float low = ParseNumber(row.fields[3]);
    float close = ParseNumber(row.fields[4]);
    const float volume = ParseNumber(row.fields[5]) * 0.01f;
    const float adjustedClose = ParseNumber(row.fields[6]);
    // A zero close has no ratio to the adjusted one; such a row stays as it is.
    if (close != adjustedClose && close != 0) {
        adjustedFlag = 1;
        const float ratio = adjustedClose / close;
        open *= ratio;
        high *= ratio;
        low *= ratio;
        close = adjustedClose;
    }
    return PriceBar{TruncateToInt(ToShortDate(row.date)), open, high, low, close, volume, 0};
}

HistoryFetch FetchHistory(FetchSession& session, const std::string& baseUrl,
                          const std::string& symbol, std::int32_t start, std::int32_t end,
                          Periodicity periodicity, DownloadMode mode) {
    HistoryFetch fetch;
    const bool paged = symbol.find('.') != std::string::npos;
    for (int page = 0;; ++page) {
        const auto lines = FetchLines(
            session, BuildHistoryUrl(baseUrl, symbol, start, end, periodicity, mode, page));
        if (!lines) return {FetchStatus::Failed, {}, 0};
        HistoryPage read = ReadHistoryResponse(*lines, start);
        if (read.rejected) return {FetchStatus::Rejected, {}, 0};
        // Each page is older than the one before it.
        fetch.rows.insert(fetch.rows.begin(), std::make_move_iterator(read.rows.begin()),
                          std::make_move_iterator(read.rows.end()));
        fetch.newRecords += read.newRecords;
        if (!paged || read.dataLines != kRowsPerPage || page + 1 == kMaxPages) return fetch;
    }
}

}  // namespace corvane
