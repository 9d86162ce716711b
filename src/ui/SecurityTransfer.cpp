#include "SecurityTransfer.h"

#include <array>
#include <charconv>

namespace corvane {

namespace {

constexpr std::size_t kFieldCount = 7;
constexpr std::size_t kMaxSymbol = 14;
constexpr std::size_t kMaxName = 29;

std::optional<std::int32_t> ParseInt(std::string_view text) {
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return {};
    return value;
}

std::optional<std::array<std::string_view, kFieldCount>> SplitFields(std::string_view line) {
    std::array<std::string_view, kFieldCount> fields;
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        if (count == kFieldCount) return {};
        fields[count++] =
            line.substr(start, comma == std::string_view::npos ? comma : comma - start);
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (count != kFieldCount) return {};
    return fields;
}

}  // namespace

bool CanTravel(std::string_view field) {
    return field.find_first_of(",\n\r") == std::string_view::npos;
}

std::string FormatTransferLine(const TransferLine& line) {
    return std::string(line.cut ? "1" : "0") + "," + line.priceFilePath + "," + line.symbol + "," +
           line.name + "," + std::to_string(static_cast<unsigned char>(line.periodicity)) + "," +
           std::to_string(line.firstDate) + "," + std::to_string(line.lastDate) + "\n";
}

std::optional<TransferLine> ParseTransferLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const auto fields = SplitFields(line);
    if (!fields) return {};
    const auto& f = *fields;
    const auto periodicity = ParseInt(f[4]);
    const auto firstDate = ParseInt(f[5]);
    const auto lastDate = ParseInt(f[6]);
    if ((f[0] != "0" && f[0] != "1") || f[1].empty() || f[2].empty() || f[2].size() > kMaxSymbol ||
        f[3].size() > kMaxName || !periodicity || *periodicity < 1 || *periodicity > 255 ||
        !firstDate || !lastDate)
        return {};
    TransferLine parsed;
    parsed.cut = f[0] == "1";
    parsed.priceFilePath = std::string(f[1]);
    parsed.symbol = std::string(f[2]);
    parsed.name = std::string(f[3]);
    parsed.periodicity = static_cast<char>(*periodicity);
    parsed.firstDate = *firstDate;
    parsed.lastDate = *lastDate;
    return parsed;
}

}  // namespace corvane
