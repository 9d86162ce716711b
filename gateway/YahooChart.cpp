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

// Accessors that never throw: the answer comes from outside and may hold
// anything where a field is expected.
const json& Member(const json& object, const char* key) {
    static const json kNull;
    if (!object.is_object()) return kNull;
    const auto found = object.find(key);
    return found == object.end() ? kNull : *found;
}

const json& First(const json& array) {
    static const json kNull;
    return array.is_array() && !array.empty() ? array[0] : kNull;
}

std::string Text(const json& object, const char* key, const std::string& fallback) {
    const json& value = Member(object, key);
    return value.is_string() ? value.get<std::string>() : fallback;
}

std::optional<double> Value(const json& object, const char* key) {
    const json& value = Member(object, key);
    if (!value.is_number()) return std::nullopt;
    return value.get<double>();
}

std::optional<std::int64_t> Integer(const json& object, const char* key) {
    const json& value = Member(object, key);
    if (!value.is_number_integer()) return std::nullopt;
    return value.get<std::int64_t>();
}

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
        // A moment far outside the calendar has no date.
        if (localtime_r(&moment, &local) == nullptr || local.tm_year < -1900 ||
            local.tm_year > 9999 - 1900)
            return 0;
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
    const json& chart = Member(document, "chart");
    if (!chart.is_object()) return std::nullopt;
    ChartAnswer answer;
    if (Member(chart, "error").is_object()) {
        answer.notFound = Text(Member(chart, "error"), "code", "") == "Not Found";
        return answer;
    }
    const json& results = Member(chart, "result");
    if (!results.is_array() || results.empty() || !results[0].is_object()) return std::nullopt;
    const json& result = results[0];
    const json& meta = Member(result, "meta");
    answer.timezone = Text(meta, "exchangeTimezoneName", "UTC");
    answer.marketPrice = Value(meta, "regularMarketPrice").value_or(0);
    const ZoneScope zone(answer.timezone);
    if (const auto time = Integer(meta, "regularMarketTime"))
        answer.marketDate = zone.DateOf(*time);

    std::map<std::int64_t, double> splits;  // date -> factor
    const json& splitEvents = Member(Member(result, "events"), "splits");
    if (splitEvents.is_object())
        for (const auto& [key, split] : splitEvents.items()) {
            const double numerator = Value(split, "numerator").value_or(1);
            const double denominator = Value(split, "denominator").value_or(1);
            const auto date = Integer(split, "date");
            if (date && numerator > 0 && denominator > 0) splits[*date] = numerator / denominator;
        }

    const json& timestamps = Member(result, "timestamp");
    const json& quote = First(Member(Member(result, "indicators"), "quote"));
    const json& adjclose =
        Member(First(Member(Member(result, "indicators"), "adjclose")), "adjclose");
    const json &opens = Member(quote, "open"), &highs = Member(quote, "high"),
               &lows = Member(quote, "low"), &closes = Member(quote, "close"),
               &volumes = Member(quote, "volume");
    for (std::size_t i = 0; timestamps.is_array() && i < timestamps.size(); ++i) {
        if (!timestamps[i].is_number_integer()) continue;
        const std::int64_t when = timestamps[i].get<std::int64_t>();
        const double open = Number(opens, i), high = Number(highs, i), low = Number(lows, i),
                     close = Number(closes, i);
        if (std::isnan(open) || std::isnan(high) || std::isnan(low) || std::isnan(close)) continue;
        const std::int32_t day = zone.DateOf(when);
        if (day == 0) continue;
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
