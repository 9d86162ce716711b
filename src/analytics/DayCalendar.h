#pragma once

#include <cstdint>
#include <vector>

#include "Coding.h"

namespace corvane {

// The trading days of a calculation, slot by slot, learnt from the bars of
// the securities as they are aligned: the first security defines the days
// over its range, later ones can only add days after the last known slot.
class DayCalendar {
public:
    enum class Alignment { Placed, MissingDay, OffCalendar, OutOfRange };

    // dayCount: whole days from the calculation's first date to its last.
    explicit DayCalendar(int dayCount);

    // Places a bar dated `date` (a store date later than the first date) at
    // `slot`. MissingDay: the security has no bar for the slot's day; align
    // the same bar again at slot + 1. OffCalendar: the bar's day is not a day
    // of the calendar; skip the bar and stay at the slot. OutOfRange: the
    // slot is past the last one; the security contributes nothing more.
    // Inline: the calculations align every bar.
    Alignment Align(int slot, std::int32_t date) {
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

    int DayCount() const { return static_cast<int>(slots_.size()); }
    // The store date of a slot; 0 while no bar has been placed there.
    std::int32_t DateAt(int slot) const { return slots_[static_cast<std::size_t>(slot)]; }

private:
    std::vector<std::int32_t> slots_;
};

}  // namespace corvane
