#pragma once

#include "Clock.h"

namespace corvane::test {

class FixedClock : public Clock {
public:
    explicit FixedClock(LocalDateTime now = {2005, 3, 15, 12, 0, 0, 2}) : now_(now) {}
    LocalDateTime Now() const override { return now_; }
    void Set(LocalDateTime now) { now_ = now; }

private:
    LocalDateTime now_;
};

}  // namespace corvane::test
