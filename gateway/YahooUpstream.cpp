#include "YahooUpstream.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace corvane::gateway {
namespace {

constexpr std::int64_t kDay = 86400;

std::string Value(const Query& query, const std::string& key, const std::string& fallback = "") {
    const auto found = query.find(key);
    return found == query.end() ? fallback : found->second;
}

// Midnight UTC starting a YYYYMMDD date. Fields out of range are pulled in, so
// an odd date from a query still asks for a window in the calendar.
std::int64_t EpochOf(std::int32_t date) {
    using namespace std::chrono;
    const year_month_day ymd{year{std::clamp(date / 10000, 0, 9999)},
                             month{unsigned(std::clamp(date / 100 % 100, 1, 12))},
                             day{unsigned(std::clamp(date % 100, 1, 31))}};
    return sys_days{ymd}.time_since_epoch().count() * kDay;
}

std::string PathSegment(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '=') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

Answer NotFound() {
    return {404, "text/html",
            "<html><head><title>Not Found</title></head>\n"
            "<body><h1>Not Found</h1></body></html>\n"};
}

// Answers as the local data mode would for one symbol's bars.
Answer LocalAnswer(const std::string& symbol, std::vector<DailyBar> bars, ServiceOptions options,
                   const std::string& path, const Query& query) {
    DailyHistory history;
    history.Add(symbol, std::move(bars));
    return QuoteService(std::move(history), std::move(options)).Handle(path, query);
}

}  // namespace

YahooUpstream::YahooUpstream(UpstreamFetcher& fetcher, const QuoteService& local,
                             std::function<std::int64_t()> nowSeconds)
    : fetcher_(fetcher), local_(local), nowSeconds_(std::move(nowSeconds)) {}

Answer YahooUpstream::Handle(const std::string& path, const Query& query) {
    if (path == "/table.csv") return History(query);
    if (path == "/d/quotes.csv" && Value(query, "f") == "f6") return local_.Handle(path, query);
    if (path == "/d/quotes.csv" || path == "/q") return Latest(path, query);
    if (path == "/FOREXQUOTE.txt") return Forex(query);
    return local_.Handle(path, query);
}

std::int32_t YahooUpstream::Today(const std::string& timezone) const {
    return LocalDate(nowSeconds_(), timezone);
}

YahooUpstream::Chart YahooUpstream::FetchChart(const std::string& symbol, std::int32_t from,
                                               std::int32_t to, const char* interval) {
    // A day of margin on each side: bars are kept by their local date afterwards.
    const std::int64_t period1 = EpochOf(from) - kDay;
    const std::int64_t period2 = EpochOf(to) + 2 * kDay;  // exclusive
    Chart chart;
    // A window that ends before it starts holds no bars: no need to ask.
    if (period1 >= period2) {
        chart.answer.emplace();
        return chart;
    }
    const std::string request = "/v8/finance/chart/" + PathSegment(YahooSymbol(symbol)) +
                                "?period1=" + std::to_string(period1) +
                                "&period2=" + std::to_string(period2) + "&interval=" + interval +
                                "&events=div%2Csplit";
    // A window that ended two days ago or more is final in every time zone.
    const bool finished = EpochOf(to) + 2 * kDay <= nowSeconds_();
    const UpstreamFetcher::Reply reply = fetcher_.Get(request, finished);
    if (reply.status == 0) {
        chart.failure = {503, "text/plain", reply.error + "\n"};
        return chart;
    }
    chart.answer = ParseChart(reply.body);
    if (!chart.answer || chart.answer->notFound || reply.status == 404) {
        chart.failure = reply.status == 404 || (chart.answer && chart.answer->notFound)
                            ? NotFound()
                            : Answer{502, "text/plain",
                                     "The quote provider gave an answer that is no chart (HTTP " +
                                         std::to_string(reply.status) + ").\n"};
        chart.answer.reset();
    }
    return chart;
}

Answer YahooUpstream::History(const Query& query) {
    const std::string symbol = Value(query, "s");
    const std::int32_t from = QueryDate(query, "a", "b", "c", 19700101);
    const std::int32_t to = QueryDate(query, "d", "e", "f", Today("UTC"));
    const std::string g = Value(query, "g", "d");
    const char* interval = g == "w" ? "1wk" : g == "m" ? "1mo" : "1d";
    Chart chart = FetchChart(symbol, from, to, interval);
    if (!chart.answer) return chart.failure;
    // Today's bar is not finished: the day quote tops the history up instead.
    const std::int32_t today = Today(chart.answer->timezone);
    std::vector<DailyBar> bars;
    for (const DailyBar& bar : chart.answer->bars)
        if (bar.date >= from && bar.date <= to && bar.date < today) bars.push_back(bar);
    Query daily = query;
    daily.erase("g");  // the bars are already of the requested period
    return LocalAnswer(symbol, std::move(bars), {}, "/table.csv", daily);
}

Answer YahooUpstream::Latest(const std::string& path, const Query& query) {
    const std::string symbol = Value(query, "s");
    const std::int32_t today = Today("UTC");
    Chart chart = FetchChart(symbol, LocalDate(nowSeconds_() - 10 * kDay, "UTC"), today, "1d");
    if (!chart.answer) return path == "/q" ? local_.Handle(path, {}) : chart.failure;
    std::vector<DailyBar> bars = chart.answer->bars;
    ServiceOptions options;
    if (!bars.empty()) {
        // The latest bar carries the market's current price.
        if (chart.answer->marketPrice > 0 && bars.back().date == chart.answer->marketDate)
            bars.back().close = bars.back().adjClose = chart.answer->marketPrice;
        options.today = bars.back().date;
    }
    return LocalAnswer(symbol, std::move(bars), options, path, query);
}

Answer YahooUpstream::Forex(const Query& query) {
    const std::string pair = UpperCase(Value(query, "f"));
    const std::string p = Value(query, "p", "8");
    const char* interval = p == "9" ? "1wk" : p == "10" ? "1mo" : "1d";
    const std::int32_t from = QueryDate(query, "mf", "df", "yf", 19700101);
    const std::int32_t to = QueryDate(query, "mt", "dt", "yt", Today("UTC"));
    Chart chart = FetchChart(pair + "=X", from, to, interval);
    if (!chart.answer) return chart.failure;
    std::vector<DailyBar> bars;
    for (const DailyBar& bar : chart.answer->bars)
        if (bar.date >= from && bar.date <= to) bars.push_back(bar);
    Query daily = query;
    daily.erase("p");
    return LocalAnswer(pair, std::move(bars), {}, "/FOREXQUOTE.txt", daily);
}

}  // namespace corvane::gateway
