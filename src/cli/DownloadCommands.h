#pragma once

#include "StoreCommands.h"

namespace corvane {

// Downloads into one directory, or a batch of directories; both print the
// lines of report.txt.
int DownloadCommand(const CommandLine& line, CliContext& context);
int BatchCommand(const CommandLine& line, CliContext& context);

}  // namespace corvane
