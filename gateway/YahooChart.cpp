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

}  // namespace

std::int32_t LocalDate(std::int64_t epochSeconds, const std::string& timezone) {
    // The C library knows every zone of the system's tz database; TZ is
    // process-wide, so conversions take turns.
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    const char* previous = std::getenv("TZ");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("TZ", timezone.empty() ? "UTC" : timezone.c_str(), 1);
    tzset();
    const std::time_t moment = static_cast<std::time_t>(epochSeconds);
    std::tm local{};
    localtime_r(&moment, &local);
    if (previous != nullptr)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
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
    if (meta.contains("regularMarketTime") && meta["regularMarketTime"].is_number())
        answer.marketDate =
            LocalDate(meta["regularMarketTime"].get<std::int64_t>(), answer.timezone);

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
    for (std::size_t i = 0; i < timestamps.size(); ++i) {
        if (!timestamps[i].is_number()) continue;
        const std::int64_t when = timestamps[i].get<std::int64_t>();
        const double open = Number(quote.value("open", json()), i),
                     high = Number(quote.value("high", json()), i),
                     low = Number(quote.value("low", json()), i),
                     close = Number(quote.value("close", json()), i);
        if (std::isnan(open) || std::isnan(high) || std::isnan(low) || std::isnan(close)) continue;
        double factor = 1;
        for (const auto& [date, ratio] : splits)
            if (LocalDate(date, answer.timezone) > LocalDate(when, answer.timezone))
                factor *= ratio;
        const double volume = Number(quote.value("volume", json()), i);
        const double adjusted = Number(adjclose, i);
        answer.bars.push_back({LocalDate(when, answer.timezone), open * factor, high * factor,
                               low * factor, close * factor,
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
