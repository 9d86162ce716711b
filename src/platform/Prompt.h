#pragma once

#include <string>

namespace corvane {

// Captions of the message boxes: the application's title, and network
// errors of downloads, the group index and the symbol database update.
inline constexpr const char* kAppCaption = "Corvane";
inline constexpr const char* kNetworkErrorCaption = "Corvane Error Message";

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// A message box. The core hands every message and question to this interface;
// the app shows a real box, the command-line tool writes to the terminal and
// tests record what was asked.
class Prompt {
public:
    virtual ~Prompt() = default;
    virtual PromptAnswer Show(const std::string& text, const std::string& caption, PromptIcon icon,
                              PromptButtons buttons) = 0;
};

}  // namespace corvane
