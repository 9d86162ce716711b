#include "DisplayDate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "DecimalText.h"

namespace corvane {

std::string FormatDisplayDate(std::int32_t date) {
    if (date < 0) return {};
    // The digits, at least six with zeros in front.
    char digits[16] = "000000";
    char* end = WriteUnsigned(digits + 6, static_cast<unsigned long long>(date));
    const char* first = std::min<const char*>(digits + 6, end - 6);
    const auto count = static_cast<std::size_t>(end - first);
    const char* month = first + 2;
    char year[4] = {'1', '9', first[0], first[1]};
    if (count == 8) {
        std::memcpy(year, first, 4);
        month = first + 4;
    } else if (count == 7) {
        year[0] = '2', year[1] = '0', year[2] = first[1], year[3] = first[2];
        month = first + 3;
    }
    const char text[] = {month[0], month[1], '/',     end[-2], end[-1],
                         '/',      year[0],  year[1], year[2], year[3]};
    return std::string(text, sizeof text);
}

std::string PriceCellText(float price, int decimals) {
    return FixedText(std::fabs(price), decimals);
}

std::string VolumeCellText(float volume) {
    return FixedText(std::trunc(volume), 0);
}

std::string PeriodicityText(char letter) {
    switch (letter) {
        case 'D':
        case 'd':
            return "Daily";
        case 'W':
        case 'w':
            return "Weekly";
        case 'M':
        case 'm':
            return "Monthly";
        default:
            return {};
    }
}

namespace {

std::string TwoDigits(std::string_view part) {
    std::string text(part);
    if (text.size() == 1) text.insert(0, 1, '0');
    return text;
}

}  // namespace

std::string DateSortKey(std::string_view cell) {
    const std::size_t firstSlash = cell.find('/');
    const std::size_t secondSlash =
        firstSlash == std::string_view::npos ? firstSlash : cell.find('/', firstSlash + 1);
    if (secondSlash == std::string_view::npos || cell.size() < 4) return std::string(cell);
    const std::string_view month = cell.substr(0, firstSlash);
    const std::string_view day = cell.substr(firstSlash + 1, secondSlash - firstSlash - 1);
    return std::string(cell.substr(cell.size() - 4)) + TwoDigits(month) + TwoDigits(day);
}

}  // namespace corvane
