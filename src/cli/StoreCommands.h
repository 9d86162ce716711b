#pragma once

#include <chrono>

#include <ostream>

#include "Clock.h"
#include "CommandLine.h"
#include "Prompt.h"

namespace corvane {

struct CliContext {
    std::ostream& out;
    std::ostream& err;
    Prompt& prompt;
    const Clock& clock;
    // How long a writer waits for another program to let go of a directory.
    std::chrono::milliseconds wait{0};
};

// The data-directory commands. Each returns the process exit status.
int CreateCommand(const CommandLine& line, CliContext& context);
int ListCommand(const CommandLine& line, CliContext& context);
int BarsCommand(const CommandLine& line, CliContext& context);
int AddCommand(const CommandLine& line, CliContext& context);
int DeleteCommand(const CommandLine& line, CliContext& context);
int RenameCommand(const CommandLine& line, CliContext& context);
int CheckCommand(const CommandLine& line, CliContext& context);

}  // namespace corvane
