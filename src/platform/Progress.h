#pragma once

#include <string>

namespace corvane {

// A progress display: the download dialog's bar or the progress window.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void SetRange(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void SetText(const std::string& text) = 0;
    // Whether the user asked to stop (a cancel button, Escape).
    virtual bool IsCancelled() = 0;
};

// Lets the user interface handle pending input between units of work.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Returns true when the application was asked to quit.
    virtual bool PumpMessages() = 0;
};

}  // namespace corvane
