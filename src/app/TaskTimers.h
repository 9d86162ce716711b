#pragma once

#include <QObject>
#include <QTimer>

#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "AppSettings.h"
#include "Clock.h"
#include "FiredRecord.h"

namespace corvane {

// The scheduler's clock on the main window. One timer, set again at each tick
// to fall just after the start of the next minute, checks every armed slot
// against the record of firings that corvane-cli shares (FiredRecord.h), so a
// slot fires once in its minute, a late tick still serves it, and a task
// missed while the machine slept is caught up. A slot due while a long
// operation runs (`busy`) is held and fired once when it has ended; firings
// never nest.
class TaskTimers : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        std::function<bool()> busy;  // a download or another long operation is under way
        // Fires one slot; false when the system is ending and nothing more may run.
        std::function<bool(std::size_t slot)> fire;
        std::function<void(const std::string& text)> tell;  // a message to the user
    };

    TaskTimers(const AppSettings& settings, const Clock& clock, std::filesystem::path recordFolder,
               Hooks hooks, QObject* parent = nullptr);

    // Arms every slot in use and switched on. Never disarms.
    void Arm();
    // Starts the clock, with a check right away for what fell due while no
    // scheduler ran. The window calls it when it first shows: a copy of the
    // program refused at start-up never claims a task.
    void Start();
    // At once; the slot stays disarmed until the next Arm.
    void Disarm(std::size_t slot);
    bool Armed(std::size_t slot) const { return armed_[slot]; }
    // One check at the clock's present minute: claims the armed slots that
    // are due and fires them, or holds them while the process is busy.
    void Check();
    const std::deque<std::size_t>& Held() const { return held_; }

private:
    void FireHeld();
    void SetMinuteTimer();

    const AppSettings& settings_;
    const Clock& clock_;
    std::filesystem::path recordFolder_;
    Hooks hooks_;
    QTimer minute_;
    QTimer retry_;  // while slots are held
    SlotMask armed_{};
    std::deque<std::size_t> held_;
    bool started_ = false;
    bool firing_ = false;
    bool failureTold_ = false;
    bool ending_ = false;
};

}  // namespace corvane
