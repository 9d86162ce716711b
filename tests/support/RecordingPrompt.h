#pragma once

#include <deque>
#include <string>
#include <vector>

#include "Prompt.h"

namespace corvane::test {

// Records every message; answers with queued answers, then with Ok/Yes.
class RecordingPrompt : public Prompt {
public:
    struct Shown {
        std::string text;
        std::string caption;
        PromptIcon icon;
        PromptButtons buttons;
    };

    PromptAnswer Show(const std::string& text, const std::string& caption, PromptIcon icon,
                      PromptButtons buttons) override {
        shown.push_back({text, caption, icon, buttons});
        if (!answers.empty()) {
            PromptAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == PromptButtons::Ok || buttons == PromptButtons::OkCancel
                   ? PromptAnswer::Ok
                   : PromptAnswer::Yes;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& s : shown) texts.push_back(s.text);
        return texts;
    }

    std::vector<Shown> shown;
    std::deque<PromptAnswer> answers;
};

}  // namespace corvane::test
