#include "DayCalendar.h"

#include <algorithm>

namespace corvane {

DayCalendar::DayCalendar(int dayCount)
    : slots_(static_cast<std::size_t>(std::max(0, dayCount)), 0) {}

}  // namespace corvane
