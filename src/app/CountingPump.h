#pragma once

#include "Progress.h"

namespace corvane {

// The main window's pump for its long operations (downloads, the analytics):
// it counts how deep the call stack is inside one of them, so the scheduler
// can hold a due task instead of starting a run within a run.
class CountingPump : public EventPump {
public:
    explicit CountingPump(EventPump& inner) : inner_(inner) {}

    bool PumpMessages() override {
        ++depth_;
        const bool quit = inner_.PumpMessages();
        --depth_;
        return quit;
    }
    int Depth() const { return depth_; }

private:
    EventPump& inner_;
    int depth_ = 0;
};

}  // namespace corvane
