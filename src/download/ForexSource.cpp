#include "ForexSource.h"

#include <algorithm>
#include <map>

#include "CalendarDate.h"
#include "QueryText.h"

namespace corvane {
namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
    return text;
}

std::optional<int> InstrumentCode(const std::string& pair) {
    static const std::map<std::string, int> codes = {
        {"EURCHF", 106}, {"EURGBP", 88}, {"EURJPY", 84}, {"EURUSD", 83},
        {"GBPUSD", 86},  {"USDCHF", 85}, {"USDJPY", 87},
    };
    const auto found = codes.find(pair);
    if (found == codes.end()) return std::nullopt;
    return found->second;
}

const char* PeriodCode(Periodicity periodicity) {
    switch (periodicity) {
        case Periodicity::Weekly:
            return "9";
        case Periodicity::Monthly:
            return "10";
        default:
            return "8";
    }
}

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool IsCurrencyPair(const std::string& symbol) {
    return symbol.find('$') != std::string::npos;
}

std::string PairOf(const std::string& symbol) {
    return Upper(symbol.size() > 6 ? symbol.substr(symbol.size() - 6) : symbol);
}

std::string BuildForexUrl(const std::string& baseUrl, const std::string& symbol, std::int32_t start,
                          std::int32_t end, Periodicity periodicity, DownloadMode mode) {
    const std::string pair = PercentEncode(PairOf(symbol));
    const std::int32_t from = RequestStart(start, mode);
    auto day = [](std::int32_t d) { return TwoDigits(d % 100); };
    auto month = [](std::int32_t d) { return TwoDigits(d / 100 % 100 - 1); };
    auto year = [](std::int32_t d) { return std::to_string(d / 10000); };
    std::string url = baseUrl + "/FOREXQUOTE.txt?d=d&m=5";
    if (const auto code = InstrumentCode(PairOf(symbol))) url += "&em=" + std::to_string(*code);
    url += std::string("&p=") + PeriodCode(periodicity);
    url += "&df=" + day(from) + "&mf=" + month(from) + "&yf=" + year(from);
    url += "&dt=" + day(end) + "&mt=" + month(end) + "&yt=" + year(end);
    url += "&f=" + pair + "&e=.txt&dtf=1&tmf=1&MSOR=0&cn=" + pair;
    return url + "&sep=1&sep2=1&datf=1&at=0&fsp=1";
}

std::optional<std::string> ReshapeForexLine(const std::string& line) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() < 9 || fields[2].size() != 8 || !AllDigits(fields[2])) return std::nullopt;
    const std::int32_t date = std::stoi(fields[2]);
    if (!IsValidDate(date) || DayOfWeek(date) == 6) return std::nullopt;
    const std::string& close = fields[7];
    // The adjusted close is the close: currency rates have no splits.
    return fields[2].substr(0, 4) + "-" + fields[2].substr(4, 2) + "-" + fields[2].substr(6, 2) +
           "," + fields[4] + "," + fields[5] + "," + fields[6] + "," + close + "," +
           (fields[8].empty() ? "0" : fields[8]) + "," + close;
}

HistoryFetch FetchForex(FetchSession& session, const std::string& baseUrl,
                        const std::string& symbol, std::int32_t start, std::int32_t end,
                        Periodicity periodicity, DownloadMode mode) {
    const auto lines =
        FetchLines(session, BuildForexUrl(baseUrl, symbol, start, end, periodicity, mode));
    if (!lines) return {FetchStatus::Failed, {}, 0};
    HistoryPage page = ReadHistoryResponse(*lines, start, true);
    if (page.rejected) return {FetchStatus::Rejected, {}, 0};
    return {FetchStatus::Ok, std::move(page.rows), page.newRecords};
}

}  // namespace corvane
