#include "QuoteService.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace corvane::gateway {
namespace {

constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Value(const Query& query, const std::string& key, const std::string& fallback = "") {
    const auto found = query.find(key);
    return found == query.end() ? fallback : found->second;
}

// A whole query value, pulled within the range of int32 so that sums and
// products of a few stay well inside int64. Not a number: `fallback`.
std::int64_t IntValue(const Query& query, const std::string& key, std::int64_t fallback) {
    const std::string text = Value(query, key);
    const char* begin = text.data();
    std::int64_t value = 0;
    const auto [last, error] = std::from_chars(begin, begin + text.size(), value);
    if (last == begin) return fallback;
    if (error == std::errc::result_out_of_range) return *begin == '-' ? INT32_MIN : INT32_MAX;
    return std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX);
}

std::string Number(double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

std::string Whole(double value) {
    return std::to_string(static_cast<long long>(value));
}

std::string IsoDate(std::int32_t date) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date / 10000, date / 100 % 100,
                  date % 100);
    return buffer;
}

// Digits grouped by three with commas, as the quote page writes numbers.
std::string GroupThousands(const std::string& digits) {
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string Thousands(long long value) {
    std::string text = value < 0 ? "-" : "";
    text += GroupThousands(std::to_string(value < 0 ? -value : value));
    return text;
}

// "1,234.56"
std::string Money(double value) {
    char price[64];
    std::snprintf(price, sizeof price, "%.2f", value < 0 ? -value : value);
    const std::string text = price;
    const std::size_t point = text.find('.');
    std::string money = value < 0 ? "-" : "";
    money += GroupThousands(text.substr(0, point));
    money += text.substr(point);
    return money;
}

std::string MonthDay(std::int32_t date) {
    return std::string(kMonthNames[(date / 100 % 100 + 11) % 12]) + " " +
           std::to_string(date % 100);
}

Answer NotFound() {
    return {404, "text/html",
            "<html><head><title>Not Found</title></head>\n"
            "<body><h1>Not Found</h1></body></html>\n"};
}

Answer Page(const std::string& title) {
    return {200, "text/html",
            "<html><head><title>" + title + "</title></head><body><h1>" + title +
                "</h1></body></html>\n"};
}

char PeriodOf(const std::string& code) {
    return code == "w" ? 'w' : code == "m" ? 'm' : 'd';
}

}  // namespace

std::int32_t QueryDate(const Query& query, const char* month, const char* day, const char* year,
                       std::int32_t fallback) {
    if (Value(query, year).empty()) return fallback;
    const std::int64_t date = IntValue(query, year, 1900) * 10000 +
                              (IntValue(query, month, 0) + 1) * 100 + IntValue(query, day, 1);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(date, 0, 99999999));
}

QuoteService::QuoteService(DailyHistory history, ServiceOptions options)
    : history_(std::move(history)), options_(std::move(options)) {}

Answer QuoteService::Handle(const std::string& path, const Query& query) const {
    if (path == "/table.csv") return HistoryTable(query);
    if (path == "/d/quotes.csv") return Quotes(query);
    if (path == "/q") return QuotePage(query);
    if (path == "/q/ta") return Page("Technical analysis of " + Value(query, "s"));
    if (path == "/q/ks") return Page("Key statistics of " + Value(query, "s"));
    if (path == "/FOREXQUOTE.txt") return ForexQuotes(query);
    if (path == "/forum/symboldatabaseex2.txt") return SymbolDatabase();
    if (path == "/updates.asp") return Updates();
    if (path == "/corvane.htm") return Page("Corvane");
    if (path.starts_with("/crv") && path.ends_with("_setup.exe"))
        return {200, "application/octet-stream", "Corvane setup " + path.substr(4) + "\n"};
    return NotFound();
}

Answer QuoteService::HistoryTable(const Query& query) const {
    const auto* bars = history_.Find(Value(query, "s"));
    if (bars == nullptr) return NotFound();
    const char period = PeriodOf(Value(query, "g", "d"));
    const std::vector<DailyBar> periodBars = period == 'd' ? *bars : Aggregate(*bars, period);
    const std::int32_t from = QueryDate(query, "a", "b", "c", 0);
    const std::int32_t to = QueryDate(query, "d", "e", "f", 99999999);
    const bool paged = query.count("z") > 0;
    const std::int64_t first = paged ? IntValue(query, "y", 0) : 0;
    const std::int64_t count = paged ? IntValue(query, "z", 200) : -1;

    std::string body = "Date,Open,High,Low,Close,Volume,Adj Close\n";
    std::int64_t index = 0;
    for (auto it = periodBars.rbegin(); it != periodBars.rend(); ++it) {
        if (it->date < from || it->date > to) continue;
        if (index++ < first) continue;
        if (count >= 0 && index > first + count) break;
        body += IsoDate(it->date) + "," + Number(it->open) + "," + Number(it->high) + "," +
                Number(it->low) + "," + Number(it->close) + "," + Whole(it->volume) + "," +
                Number(it->adjClose) + "\n";
    }
    return {200, "text/csv", body};
}

const DailyBar* QuoteService::QuoteBar(const std::vector<DailyBar>& bars,
                                       const DailyBar** previous) const {
    for (std::size_t i = bars.size(); i-- > 0;) {
        if (options_.today && bars[i].date != *options_.today) continue;
        *previous = i > 0 ? &bars[i - 1] : nullptr;
        return &bars[i];
    }
    return nullptr;
}

Answer QuoteService::Quotes(const Query& query) const {
    const std::string symbol = Value(query, "s");
    const auto* bars = history_.Find(symbol);
    if (Value(query, "f") == "f6") {
        const auto shares = history_.Shares(symbol);
        return {200, "text/csv", (shares ? Thousands(*shares) : "0") + "\n"};
    }
    const DailyBar* previous = nullptr;
    // Like the real service, no quote line for an index: its value is on the quote page.
    const DailyBar* bar = bars && !symbol.starts_with("^") ? QuoteBar(*bars, &previous) : nullptr;
    if (bar == nullptr)
        return {200, "text/csv", "\"" + symbol + "\",0.00,\"N/A\",N/A,N/A,N/A,N/A,N/A\n"};
    const double change = previous ? bar->close - previous->close : 0;
    const std::string date = std::to_string(bar->date / 100 % 100) + "/" +
                             std::to_string(bar->date % 100) + "/" +
                             std::to_string(bar->date / 10000);
    return {200, "text/csv",
            "\"" + symbol + "\"," + Number(bar->close) + ",\"" + date + "\"," + Number(change) +
                "," + Number(bar->open) + "," + Number(bar->high) + "," + Number(bar->low) + "," +
                Whole(bar->volume) + "\n"};
}

Answer QuoteService::QuotePage(const Query& query) const {
    const std::string symbol = Value(query, "s");
    const auto* bars = history_.Find(symbol);
    const DailyBar* previous = nullptr;
    const DailyBar* bar = bars ? QuoteBar(*bars, &previous) : nullptr;
    if (bar == nullptr || !symbol.starts_with("^")) return Page("No quote for " + symbol);
    std::string body = "<html><head><title>" + symbol + "</title></head><body>\n";
    body += "<div>U.S. Markets closed " + MonthDay(bar->date) + ", 4:00PM ET</div>\n";
    body += "<table>\n";
    body += "<tr><th>Index Value:</th><td><b>" + Money(bar->close) + "</b></td></tr>\n";
    body += "<tr><th>Trade Time:</th><td>" + MonthDay(bar->date) + "</td></tr>\n";
    body += "<tr><th>Open:</th><td>" + Money(bar->open) + "</td></tr>\n";
    body += "<tr><th>Day's Range:</th><td><span>" + Money(bar->low) + "</span> - <span>" +
            Money(bar->high) + "</span></td></tr>\n";
    body += "<tr><th>Volume:</th><td>" + Thousands(static_cast<long long>(bar->volume)) +
            "</td></tr>\n";
    body += "</table></body></html>\n";
    return {200, "text/html", body};
}

Answer QuoteService::ForexQuotes(const Query& query) const {
    const std::string pair = UpperCase(Value(query, "f"));
    const auto* bars = history_.Find(pair);
    if (bars == nullptr || pair.empty()) return NotFound();
    const std::string p = Value(query, "p", "8");
    const char period = p == "9" ? 'w' : p == "10" ? 'm' : 'd';
    const std::vector<DailyBar> periodBars = period == 'd' ? *bars : Aggregate(*bars, period);
    const std::int32_t from = QueryDate(query, "mf", "df", "yf", 0);
    const std::int32_t to = QueryDate(query, "mt", "dt", "yt", 99999999);
    const char letter = period == 'w' ? 'W' : period == 'm' ? 'M' : 'D';
    std::string body;
    for (const DailyBar& bar : periodBars) {
        if (bar.date < from || bar.date > to) continue;
        body += pair + "," + letter + "," + std::to_string(bar.date) + ",000000," +
                Number(bar.open) + "," + Number(bar.high) + "," + Number(bar.low) + "," +
                Number(bar.close) + ",0\n";
    }
    return {200, "text/plain", body};
}

Answer QuoteService::SymbolDatabase() const {
    std::ifstream in(options_.shareDir / "SymbolDatabaseEx2.dta", std::ios::binary);
    if (!in) return NotFound();
    return {200, "text/plain",
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())};
}

Answer QuoteService::Updates() const {
    return {200, "text/plain",
            options_.latestVersion.empty() ? "0\n" : "1" + options_.latestVersion + "\n"};
}

}  // namespace corvane::gateway
