#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace corvane {

// Arguments of one command: positional words and "--name value" / "--flag"
// options. Anything not declared is a usage error.
class CommandLine {
public:
    // valueOptions take the next word as their value; flagOptions stand alone.
    static std::optional<CommandLine> Parse(const std::vector<std::string>& words,
                                            const std::set<std::string>& valueOptions,
                                            const std::set<std::string>& flagOptions,
                                            std::string& error);

    const std::vector<std::string>& Positional() const { return positional_; }
    std::optional<std::string> Value(const std::string& option) const;
    bool Has(const std::string& option) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, std::string> options_;
};

}  // namespace corvane
