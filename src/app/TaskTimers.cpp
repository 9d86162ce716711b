#include "TaskTimers.h"

#include <algorithm>

namespace corvane {
namespace {

// Half a second into the minute: the tick never lands in the minute before.
constexpr int kPastTheMinuteMs = 500;
constexpr int kRetryMs = 500;

}  // namespace

TaskTimers::TaskTimers(const AppSettings& settings, const Clock& clock,
                       std::filesystem::path recordFolder, Hooks hooks, QObject* parent)
    : QObject(parent),
      settings_(settings),
      clock_(clock),
      recordFolder_(std::move(recordFolder)),
      hooks_(std::move(hooks)) {
    minute_.setSingleShot(true);
    connect(&minute_, &QTimer::timeout, this, &TaskTimers::Check);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &TaskTimers::FireHeld);
}

void TaskTimers::Arm() {
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot)
        if (TaskArmable(settings_.tasks[slot])) armed_[slot] = true;
}

void TaskTimers::Start() {
    if (started_) return;
    started_ = true;
    // From the event loop, not from within the caller.
    minute_.start(0);
}

void TaskTimers::Disarm(std::size_t slot) {
    armed_[slot] = false;
    std::erase(held_, slot);
}

void TaskTimers::Check() {
    SetMinuteTimer();
    if (ending_) return;
    const TaskClaim claim = ClaimDueTasks(recordFolder_, settings_.tasks, armed_, clock_.Now());
    if (claim.result != Result::Ok) {
        // Told once, not every minute; a later check that works catches the
        // task up as long as its minute is within the catch-up bound.
        if (!claim.missed.empty() && !failureTold_ && hooks_.tell) {
            failureTold_ = true;
            std::string text = "Scheduled task \"" + settings_.tasks[claim.missed.front()].title +
                               "\" cannot run now: " + claim.failure +
                               ". It runs once the record can be written again.";
            hooks_.tell(text);
        }
        return;
    }
    failureTold_ = false;
    for (std::size_t slot : claim.slots)
        if (std::find(held_.begin(), held_.end(), slot) == held_.end()) held_.push_back(slot);
    FireHeld();
}

void TaskTimers::FireHeld() {
    // A tick inside the running firing only adds to the queue; the loop
    // below takes it when the firing returns.
    if (firing_) return;
    while (!held_.empty() && !ending_) {
        if (hooks_.busy && hooks_.busy()) {
            if (!retry_.isActive()) retry_.start();
            return;
        }
        const std::size_t slot = held_.front();
        held_.pop_front();
        firing_ = true;
        const bool goOn = hooks_.fire(slot);
        firing_ = false;
        if (!goOn) ending_ = true;
    }
    if (ending_) held_.clear();
    retry_.stop();
}

void TaskTimers::SetMinuteTimer() {
    const int second = std::clamp(clock_.Now().second, 0, 59);
    minute_.start((60 - second) * 1000 + kPastTheMinuteMs);
}

}  // namespace corvane
