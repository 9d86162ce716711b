#pragma once

#include <QPointer>
#include <QWidget>

#include "Prompt.h"

namespace corvane {

// Shows each message or question in a modal message box over `owner` (the
// main window once there is one).
class MessageBoxPrompt : public Prompt {
public:
    void SetOwner(QWidget* owner) { owner_ = owner; }
    PromptAnswer Show(const std::string& text, const std::string& caption, PromptIcon icon,
                      PromptButtons buttons) override;

private:
    QPointer<QWidget> owner_;
};

}  // namespace corvane
