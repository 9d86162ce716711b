#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "AppSettings.h"
#include "Clock.h"

namespace corvane {

// The day rules of a task in code order: the texts of the Days list.
inline constexpr std::array<const char*, 11> kDayRuleTexts = {
    "Daily",    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
    "Saturday", "Sunday", "Mon-Fri", "Mon-Sat",   "Sat-Sun"};

// The text of a day rule; empty for a code outside the table.
std::string DayRuleText(int days);
// Whether the day rule takes the day numbered Monday 1 to Sunday 7.
bool DayRuleTakes(int days, int isoDay);
// The firing rule: the task is switched on and `at` lies in its minute on
// one of its days. The title is not looked at.
bool TaskDueAt(const ScheduleTask& task, const LocalDateTime& at);
// A slot in use and switched on: what start-up and the accepted sheet arm.
bool TaskArmable(const ScheduleTask& task);
// The task list's Time column: 12-hour clock, "09:05 AM", "12:00 AM", "01:30 PM".
std::string FormatTaskTime(int hour, int minute);

struct DateRange {
    std::int32_t start = 0;  // YYYYMMDD
    std::int32_t end = 0;

    bool operator==(const DateRange&) const = default;
};
// A scheduled download's range: the same day two years back to today, a
// 29 February two years back becoming 1 March.
DateRange ScheduledRange(const LocalDateTime& now);

// A minute of the local wall clock, counted from 1970-01-01 00:00 as the
// clock reads it (no time zone): the scheduler's "which minute".
using LocalMinute = std::int64_t;
LocalMinute ToLocalMinute(const LocalDateTime& at);
LocalDateTime FromLocalMinute(LocalMinute minute);
// "2013-11-08 18:00"
std::string FormatLocalMinute(LocalMinute minute);
// The latest minute in [from, to] that is the task's hour and minute on one
// of its days; nothing when there is none. Enabled is not looked at.
std::optional<LocalMinute> LatestTaskMinute(const ScheduleTask& task, LocalMinute from,
                                            LocalMinute to);

}  // namespace corvane
