#include "YahooChart.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <set>

namespace corvane::gateway {
namespace {

using nlohmann::json;

double Number(const json& array, std::size_t i) {
    if (!array.is_array() || i >= array.size() || !array[i].is_number()) return NAN;
    return array[i].get<double>();
}

// Makes the C library's local time that of one zone while it lives. TZ is
// process-wide, so zone scopes take turns; each costs one zone-file load.
class ZoneScope {
public:
    explicit ZoneScope(const std::string& timezone) : lock_(Mutex()) {
        const char* previous = std::getenv("TZ");
        hadPrevious_ = previous != nullptr;
        if (hadPrevious_) previous_ = previous;
        setenv("TZ", timezone.empty() ? "UTC" : timezone.c_str(), 1);
        tzset();
    }
    ~ZoneScope() {
        if (hadPrevious_)
            setenv("TZ", previous_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::int32_t DateOf(std::int64_t epochSeconds) const {
        const std::time_t moment = static_cast<std::time_t>(epochSeconds);
        std::tm local{};
        localtime_r(&moment, &local);
        return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
    }

private:
    static std::mutex& Mutex() {
        static std::mutex mutex;
        return mutex;
    }
    std::lock_guard<std::mutex> lock_;
    bool hadPrevious_ = false;
    std::string previous_;
};

}  // namespace

std::int32_t LocalDate(std::int64_t epochSeconds, const std::string& timezone) {
    return ZoneScope(timezone).DateOf(epochSeconds);
}

std::optional<ChartAnswer> ParseChart(const std::string& text) {
    const json document = json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.contains("chart")) return std::nullopt;
    const json& chart = document["chart"];
    ChartAnswer answer;
    if (chart.contains("error") && chart["error"].is_object()) {
        answer.notFound = chart["error"].value("code", "") == "Not Found";
        return answer;
    }
    if (!chart.contains("result") || !chart["result"].is_array() || chart["result"].empty())
        return std::nullopt;
    const json& result = chart["result"][0];
    const json meta = result.value("meta", json::object());
    answer.timezone = meta.value("exchangeTimezoneName", "UTC");
    answer.marketPrice = meta.value("regularMarketPrice", 0.0);
    const ZoneScope zone(answer.timezone);
    if (meta.contains("regularMarketTime") && meta["regularMarketTime"].is_number())
        answer.marketDate = zone.DateOf(meta["regularMarketTime"].get<std::int64_t>());

    std::map<std::int64_t, double> splits;  // date -> factor
    if (result.contains("events") && result["events"].contains("splits"))
        for (const auto& [key, split] : result["events"]["splits"].items()) {
            const double numerator = split.value("numerator", 1.0);
            const double denominator = split.value("denominator", 1.0);
            if (numerator > 0 && denominator > 0)
                splits[split.value("date", std::int64_t{0})] = numerator / denominator;
        }

    const json timestamps = result.value("timestamp", json::array());
    const json indicators = result.value("indicators", json::object());
    const json quote = indicators.contains("quote") && !indicators["quote"].empty()
                           ? indicators["quote"][0]
                           : json::object();
    const json adjclose = indicators.contains("adjclose") && !indicators["adjclose"].empty()
                              ? indicators["adjclose"][0].value("adjclose", json::array())
                              : json::array();
    const json opens = quote.value("open", json()), highs = quote.value("high", json()),
               lows = quote.value("low", json()), closes = quote.value("close", json()),
               volumes = quote.value("volume", json());
    for (std::size_t i = 0; i < timestamps.size(); ++i) {
        if (!timestamps[i].is_number()) continue;
        const std::int64_t when = timestamps[i].get<std::int64_t>();
        const double open = Number(opens, i), high = Number(highs, i), low = Number(lows, i),
                     close = Number(closes, i);
        if (std::isnan(open) || std::isnan(high) || std::isnan(low) || std::isnan(close)) continue;
        const std::int32_t day = zone.DateOf(when);
        double factor = 1;
        for (const auto& [date, ratio] : splits)
            if (zone.DateOf(date) > day) factor *= ratio;
        const double volume = Number(volumes, i);
        const double adjusted = Number(adjclose, i);
        answer.bars.push_back({day, open * factor, high * factor, low * factor, close * factor,
                               std::isnan(volume) ? 0 : volume / factor,
                               std::isnan(adjusted) ? close : adjusted});
    }
    return answer;
}

std::string YahooSymbol(const std::string& symbol) {
    static const std::set<std::string> kExchangeSuffixes = {
        "L",  "DE", "F",  "PA", "MI", "AS", "BR", "MC", "LS", "SW", "VI", "ST", "OL",
        "CO", "HE", "IR", "WA", "PR", "BD", "AT", "IS", "TO", "V",  "CN", "NE", "MX",
        "SA", "BA", "SN", "AX", "NZ", "HK", "SS", "SZ", "T",  "KS", "KQ", "TW", "TWO",
        "SI", "BK", "JK", "KL", "NS", "BO", "TA", "SR", "QA", "KW", "JO", "CA", "IL",
        "SG", "DU", "HM", "MU", "BE", "XC", "VX", "TL", "RG", "VS", "IC", "TI"};
    std::string upper = UpperCase(symbol);
    const std::size_t dot = upper.rfind('.');
    if (dot == std::string::npos || dot == 0 || upper[0] == '^') return upper;
    if (kExchangeSuffixes.count(upper.substr(dot + 1))) return upper;
    upper[dot] = '-';
    return upper;
}

}  // namespace corvane::gateway
