#include "ScheduleRule.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace corvane {
namespace {

using namespace std::chrono;

constexpr LocalMinute kMinutesPerDay = 24 * 60;

LocalMinute FloorDiv(LocalMinute value, LocalMinute divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

int IsoDayOf(LocalMinute dayNumber) {
    return static_cast<int>(weekday{sys_days{days{dayNumber}}}.iso_encoding());
}

}  // namespace

std::string DayRuleText(int days) {
    if (days < 0 || days >= static_cast<int>(kDayRuleTexts.size())) return "";
    return kDayRuleTexts[static_cast<std::size_t>(days)];
}

bool DayRuleTakes(int days, int isoDay) {
    switch (days) {
        case 0:
            return true;
        case 8:
            return isoDay >= 1 && isoDay <= 5;
        case 9:
            return isoDay >= 1 && isoDay <= 6;
        case 10:
            return isoDay == 6 || isoDay == 7;
        default:
            return days == isoDay;
    }
}

bool TaskDueAt(const ScheduleTask& task, const LocalDateTime& at) {
    const LocalMinute minute = ToLocalMinute(at);
    return task.enabled != 0 && LatestTaskMinute(task, minute, minute).has_value();
}

bool TaskArmable(const ScheduleTask& task) {
    return !task.title.empty() && task.enabled == 1;
}

std::string FormatTaskTime(int hour, int minute) {
    const int shown = hour % 12 == 0 ? 12 : hour % 12;
    auto two = [](int value) { return std::string(value < 10 ? "0" : "") + std::to_string(value); };
    return two(shown) + ":" + two(minute) + (hour < 12 ? " AM" : " PM");
}

DateRange ScheduledRange(const LocalDateTime& now) {
    // year_month_day normalises 29 February of a common year to 1 March.
    const year_month_day back{
        sys_days{year{now.year - 2} / month{static_cast<unsigned>(now.month)} /
                 day{static_cast<unsigned>(now.day)}}};
    return {static_cast<int>(back.year()) * 10000 + static_cast<int>(unsigned(back.month())) * 100 +
                static_cast<int>(unsigned(back.day())),
            now.YyyyMmDd()};
}

LocalMinute ToLocalMinute(const LocalDateTime& at) {
    const sys_days date{year{at.year} / month{static_cast<unsigned>(at.month)} /
                        day{static_cast<unsigned>(at.day)}};
    return static_cast<LocalMinute>(date.time_since_epoch().count()) * kMinutesPerDay +
           at.hour * 60 + at.minute;
}

LocalDateTime FromLocalMinute(LocalMinute minute) {
    const LocalMinute dayNumber = FloorDiv(minute, kMinutesPerDay);
    const LocalMinute inDay = minute - dayNumber * kMinutesPerDay;
    const sys_days date{days{dayNumber}};
    const year_month_day ymd{date};
    return LocalDateTime{static_cast<int>(ymd.year()),
                         static_cast<int>(unsigned(ymd.month())),
                         static_cast<int>(unsigned(ymd.day())),
                         static_cast<int>(inDay / 60),
                         static_cast<int>(inDay % 60),
                         0,
                         static_cast<int>(weekday{date}.c_encoding())};
}

std::string FormatLocalMinute(LocalMinute minute) {
    const LocalDateTime at = FromLocalMinute(minute);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", at.year, at.month, at.day, at.hour,
                  at.minute);
    return text;
}

std::optional<LocalMinute> LatestTaskMinute(const ScheduleTask& task, LocalMinute from,
                                            LocalMinute to) {
    if (task.hour < 0 || task.hour > 23 || task.minute < 0 || task.minute > 59 || from > to)
        return std::nullopt;
    const LocalMinute timeOfDay = task.hour * 60 + task.minute;
    const LocalMinute last = FloorDiv(to, kMinutesPerDay);
    // Every day rule takes some day of any week: eight days back is enough.
    const LocalMinute first = std::max(FloorDiv(from, kMinutesPerDay), last - 7);
    for (LocalMinute day = last; day >= first; --day) {
        const LocalMinute candidate = day * kMinutesPerDay + timeOfDay;
        if (candidate >= from && candidate <= to && DayRuleTakes(task.days, IsoDayOf(day)))
            return candidate;
    }
    return std::nullopt;
}

}  // namespace corvane
