#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "CliApp.h"

namespace corvane::test {

// One corvane-cli command run in this process, with what it printed.
struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

// The same at a fixed time.
inline CliRun Cli(const std::vector<std::string>& args, const Clock& clock) {
    std::ostringstream out, err;
    const int status = RunCli(args, out, err, clock);
    return {status, out.str(), err.str()};
}

}  // namespace corvane::test
