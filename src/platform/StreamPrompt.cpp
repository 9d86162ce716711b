#include "StreamPrompt.h"

namespace corvane {

StreamPrompt::StreamPrompt(std::ostream& out, PromptAnswer questionAnswer)
    : out_(out), questionAnswer_(questionAnswer) {}

PromptAnswer StreamPrompt::Show(const std::string& text, const std::string& caption, PromptIcon,
                                PromptButtons buttons) {
    out_ << caption << ": " << text << '\n';
    out_.flush();
    if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    if (buttons == PromptButtons::OkCancel)
        return questionAnswer_ == PromptAnswer::Yes || questionAnswer_ == PromptAnswer::Ok
                   ? PromptAnswer::Ok
                   : PromptAnswer::Cancel;
    if (buttons == PromptButtons::YesNo && questionAnswer_ == PromptAnswer::Cancel)
        return PromptAnswer::No;
    return questionAnswer_;
}

}  // namespace corvane
