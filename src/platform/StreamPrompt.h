#pragma once

#include <ostream>

#include "Prompt.h"

namespace corvane {

// Writes each message as "Caption: text" on a stream and answers questions
// with a fixed answer chosen by the caller (the safe one by default).
class StreamPrompt : public Prompt {
public:
    explicit StreamPrompt(std::ostream& out, PromptAnswer questionAnswer = PromptAnswer::No);
    PromptAnswer Show(const std::string& text, const std::string& caption, PromptIcon icon,
                      PromptButtons buttons) override;

private:
    std::ostream& out_;
    PromptAnswer questionAnswer_;
};

}  // namespace corvane
