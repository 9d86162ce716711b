#pragma once

#include <cstdint>
#include <optional>

namespace corvane {

// Calendar arithmetic on YYYYMMDD integers.
bool IsValidDate(std::int32_t yyyymmdd);
std::int32_t AddDays(std::int32_t yyyymmdd, int days);
// Days from `from` to `to`, negative when `to` is earlier.
int DaysBetween(std::int32_t from, std::int32_t to);
// 0 = Sunday ... 6 = Saturday.
int DayOfWeek(std::int32_t yyyymmdd);
// YYYYMMDD of the parts; 0 when they cannot make one (year outside 0-9999).
std::int32_t MakeDate(int year, int month, int day);

}  // namespace corvane
