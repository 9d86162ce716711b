#include "CommandLine.h"

namespace corvane {

std::optional<CommandLine> CommandLine::Parse(const std::vector<std::string>& words,
                                              const std::set<std::string>& valueOptions,
                                              const std::set<std::string>& flagOptions,
                                              std::string& error) {
    CommandLine line;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 3 || word.compare(0, 2, "--") != 0) {
            line.positional_.push_back(word);
        } else if (flagOptions.count(word)) {
            line.options_[word] = "";
        } else if (valueOptions.count(word)) {
            if (i + 1 == words.size()) {
                error = "option " + word + " needs a value";
                return std::nullopt;
            }
            line.options_[word] = words[++i];
        } else {
            error = "unknown option " + word;
            return std::nullopt;
        }
    }
    return line;
}

std::optional<std::string> CommandLine::Value(const std::string& option) const {
    auto it = options_.find(option);
    if (it == options_.end()) return std::nullopt;
    return it->second;
}

bool CommandLine::Has(const std::string& option) const {
    return options_.count(option) > 0;
}

}  // namespace corvane
