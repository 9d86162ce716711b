#include "DisplayDate.h"

namespace corvane {

std::string FormatDisplayDate(std::int32_t date) {
    if (date < 0) return {};
    std::string digits = std::to_string(date);
    if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
    std::string year;
    std::string month;
    if (digits.size() == 8) {
        year = digits.substr(0, 4);
        month = digits.substr(4, 2);
    } else if (digits.size() == 7) {
        year = "20" + digits.substr(1, 2);
        month = digits.substr(3, 2);
    } else {
        year = "19" + digits.substr(0, 2);
        month = digits.substr(2, 2);
    }
    return month + "/" + digits.substr(digits.size() - 2) + "/" + year;
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
