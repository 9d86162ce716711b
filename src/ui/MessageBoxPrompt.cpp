#include "MessageBoxPrompt.h"

#include <QMessageBox>

namespace corvane {

namespace {

QMessageBox::Icon BoxIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

}  // namespace

PromptAnswer MessageBoxPrompt::Show(const std::string& text, const std::string& caption,
                                    PromptIcon icon, PromptButtons buttons) {
    // Store texts are bytes of the stored names; Latin-1 shows every one.
    QMessageBox box(BoxIcon(icon), QString::fromLatin1(caption), QString::fromLatin1(text),
                    BoxButtons(buttons), owner_);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Cancel:
            return PromptAnswer::Cancel;
        default:
            return PromptAnswer::Ok;
    }
}

}  // namespace corvane
