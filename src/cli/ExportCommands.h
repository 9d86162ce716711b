#pragma once

#include "StoreCommands.h"

namespace corvane {

// Converts securities to ASCII files with the current options, a saved
// preset (--preset NAME) or the Default button's options (--defaults).
int ConvertCommand(const CommandLine& line, CliContext& context);

}  // namespace corvane
