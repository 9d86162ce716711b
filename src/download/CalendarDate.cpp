#include "CalendarDate.h"

#include <chrono>

namespace corvane {
namespace {

using namespace std::chrono;

year_month_day ToYmd(std::int32_t date) {
    return year_month_day{year{date / 10000}, month{static_cast<unsigned>(date / 100 % 100)},
                          day{static_cast<unsigned>(date % 100)}};
}

std::int32_t FromYmd(const year_month_day& ymd) {
    return MakeDate(static_cast<int>(ymd.year()), static_cast<int>(unsigned(ymd.month())),
                    static_cast<int>(unsigned(ymd.day())));
}

}  // namespace

bool IsValidDate(std::int32_t yyyymmdd) {
    return yyyymmdd >= 19000101 && yyyymmdd <= 20991231 && ToYmd(yyyymmdd).ok();
}

std::int32_t AddDays(std::int32_t yyyymmdd, int days) {
    return FromYmd(year_month_day{sys_days{ToYmd(yyyymmdd)} + std::chrono::days{days}});
}

int DaysBetween(std::int32_t from, std::int32_t to) {
    return static_cast<int>((sys_days{ToYmd(to)} - sys_days{ToYmd(from)}).count());
}

int DayOfWeek(std::int32_t yyyymmdd) {
    return static_cast<int>(weekday{sys_days{ToYmd(yyyymmdd)}}.c_encoding());
}

std::int32_t MakeDate(int year, int month, int day) {
    // Parts read from outside text can be anything; those that cannot form a
    // date give 0, which no check accepts as a date.
    if (year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99) return 0;
    return year * 10000 + month * 100 + day;
}

}  // namespace corvane
