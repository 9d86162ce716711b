#pragma once

#include "Prompt.h"

namespace corvane {

// The prompt the main window hands its long operations: a message box one of
// them shows runs an event loop of its own while the operation waits beneath
// it, and the count says so to the scheduler.
class CountingPrompt : public Prompt {
public:
    explicit CountingPrompt(Prompt& inner) : inner_(inner) {}

    PromptAnswer Show(const std::string& text, const std::string& caption, PromptIcon icon,
                      PromptButtons buttons) override {
        ++depth_;
        const PromptAnswer answer = inner_.Show(text, caption, icon, buttons);
        --depth_;
        return answer;
    }
    int Depth() const { return depth_; }

private:
    Prompt& inner_;
    int depth_ = 0;
};

}  // namespace corvane
