#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

// A stored date (CYYMMDD, YYYYMMDD or the six-digit YYMMDD of old files) as
// the list shows it: MM/DD/YYYY.
std::string FormatDisplayDate(std::int32_t date);

// The price view's cells, as printf writes them in the C locale: a price
// without its sign to `decimals` places ("%.2f", "%.5f" for currency pairs),
// and the whole part of a volume ("%.0f" of the value cut towards zero).
std::string PriceCellText(float price, int decimals);
std::string VolumeCellText(float volume);

// "Daily", "Weekly" or "Monthly" for a stored periodicity letter of either
// case; empty for any other letter.
std::string PeriodicityText(char letter);

// The key that sorts a date cell (M/D/YYYY or MM/DD/YYYY) by year, month and
// day: YYYYMMDD. Text that is not a date is its own key.
std::string DateSortKey(std::string_view cell);

}  // namespace corvane
