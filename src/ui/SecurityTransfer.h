#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// One line of the clipboard text that carries a security between
// directories: "<cut>,<price file path>,<symbol>,<name>,<periodicity code>,
// <first date>,<last date>" and a line feed. No field can hold a comma or a
// line feed.
struct TransferLine {
    bool cut = false;
    std::string priceFilePath;
    std::string symbol;
    std::string name;
    char periodicity = 'D';
    std::int32_t firstDate = 0;
    std::int32_t lastDate = 0;

    bool operator==(const TransferLine&) const = default;
};

// True when the text can be a field of a transfer line.
bool CanTravel(std::string_view field);

// The line with its line feed. Callers check CanTravel on symbol and name.
std::string FormatTransferLine(const TransferLine& line);

// A line without its line feed (a carriage return before it is dropped).
// Nothing when it does not have the seven fields of a transfer line, each of
// its kind.
std::optional<TransferLine> ParseTransferLine(std::string_view line);

}  // namespace corvane
