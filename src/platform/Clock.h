#pragma once

namespace corvane {

struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dayOfWeek = 4;  // 0 = Sunday

    int YyyyMmDd() const { return year * 10000 + month * 100 + day; }
};

// Local date and time; tests substitute a fixed clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
};

class SystemClock : public Clock {
public:
    LocalDateTime Now() const override;
};

}  // namespace corvane
