#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "Clock.h"

namespace corvane {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Runs one corvane-cli command (args without the program name). Output goes
// to out; messages, as "Caption: text", and usage errors go to err.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// The same on the given clock, for tests that fix the time.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Clock& clock);

}  // namespace corvane
