#include "DailyHistory.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace corvane::gateway {
namespace {

std::optional<DailyBar> ParseCsvRow(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, ',')) fields.push_back(field);
    if (fields.size() < 7 || fields[0].size() < 10) return std::nullopt;
    const std::string& d = fields[0];
    if (d[4] != '-' || d[7] != '-') return std::nullopt;
    DailyBar bar;
    bar.date = std::atoi(d.substr(0, 4).c_str()) * 10000 + std::atoi(d.substr(5, 2).c_str()) * 100 +
               std::atoi(d.substr(8, 2).c_str());
    double* values[] = {&bar.open, &bar.high, &bar.low, &bar.close, &bar.volume, &bar.adjClose};
    for (int i = 0; i < 6; ++i) *values[i] = std::strtod(fields[i + 1].c_str(), nullptr);
    return bar;
}

std::vector<DailyBar> ReadCsv(const std::filesystem::path& path) {
    std::vector<DailyBar> bars;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (auto bar = ParseCsvRow(line)) bars.push_back(*bar);
    }
    return bars;
}

int PeriodKey(std::int32_t date, char period) {
    using namespace std::chrono;
    if (period == 'm') return date / 100;
    const year_month_day ymd{year{date / 10000}, month{unsigned(date / 100 % 100)},
                             day{unsigned(date % 100)}};
    const sys_days days{ymd};
    // Days since the Monday 1970-01-05, counted in whole weeks.
    return static_cast<int>((days - sys_days{year{1970} / 1 / 5}).count() + 7000000) / 7;
}

}  // namespace

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
    return text;
}

std::string PercentDecode(const std::string& text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() + 0 && std::isxdigit(text[i + 1]) &&
            std::isxdigit(text[i + 2])) {
            decoded += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

DailyHistory DailyHistory::Load(const std::filesystem::path& directory) {
    DailyHistory history;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
        if (entry.path().extension() != ".csv") continue;
        const std::string stem = entry.path().stem().string();
        if (stem == "shares") {
            std::ifstream in(entry.path());
            std::string line;
            while (std::getline(in, line)) {
                const auto comma = line.find(',');
                if (comma != std::string::npos)
                    history.shares_[UpperCase(line.substr(0, comma))] =
                        std::atoll(line.substr(comma + 1).c_str());
            }
            continue;
        }
        history.Add(PercentDecode(stem), ReadCsv(entry.path()));
    }
    return history;
}

void DailyHistory::Add(const std::string& symbol, std::vector<DailyBar> bars) {
    std::sort(bars.begin(), bars.end(),
              [](const DailyBar& a, const DailyBar& b) { return a.date < b.date; });
    bars_[UpperCase(symbol)] = std::move(bars);
}

const std::vector<DailyBar>* DailyHistory::Find(const std::string& symbol) const {
    const auto found = bars_.find(UpperCase(symbol));
    return found == bars_.end() ? nullptr : &found->second;
}

std::optional<std::int64_t> DailyHistory::Shares(const std::string& symbol) const {
    const auto found = shares_.find(UpperCase(symbol));
    if (found == shares_.end()) return std::nullopt;
    return found->second;
}

std::vector<DailyBar> Aggregate(const std::vector<DailyBar>& daily, char period) {
    std::vector<DailyBar> out;
    int currentKey = -1;
    for (const DailyBar& bar : daily) {
        const int key = PeriodKey(bar.date, period);
        if (out.empty() || key != currentKey) {
            out.push_back(bar);
            currentKey = key;
            continue;
        }
        DailyBar& merged = out.back();
        merged.high = std::max(merged.high, bar.high);
        merged.low = std::min(merged.low, bar.low);
        merged.close = bar.close;
        merged.adjClose = bar.adjClose;
        merged.volume += bar.volume;
    }
    return out;
}

}  // namespace corvane::gateway
