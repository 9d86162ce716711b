#pragma once

#include "StoreCommands.h"

namespace corvane {

// Market breadth over a period, and a group index, for the given securities
// or every security of the directory.
int BreadthCommand(const CommandLine& line, CliContext& context);
int IndexCommand(const CommandLine& line, CliContext& context);

}  // namespace corvane
