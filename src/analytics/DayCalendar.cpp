#include "DayCalendar.h"

#include <algorithm>

#include "Coding.h"

namespace corvane {

DayCalendar::DayCalendar(int dayCount)
    : slots_(static_cast<std::size_t>(std::max(0, dayCount)), 0) {}

DayCalendar::Alignment DayCalendar::Align(int slot, std::int32_t date) {
    if (slot < 0 || slot >= DayCount()) return Alignment::OutOfRange;
    std::int32_t& held = slots_[static_cast<std::size_t>(slot)];
    if (held == 0) {
        held = date;
        return Alignment::Placed;
    }
    // Compare in one date form: low entries store CYYMMDD, others YYYYMMDD.
    const std::int32_t heldDay = ToLongDate(held);
    const std::int32_t barDay = ToLongDate(date);
    if (heldDay == barDay) return Alignment::Placed;
    return heldDay < barDay ? Alignment::MissingDay : Alignment::OffCalendar;
}

}  // namespace corvane
