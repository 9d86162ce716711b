#pragma once

#include "StoreCommands.h"

namespace corvane {

// "scheduler run": fires the tasks of the settings that are due now, or fell
// due since the last check of any scheduler, as the app would; for cron or a
// systemd timer. "scheduler list": the tasks and when each last fired.
int SchedulerCommand(const CommandLine& line, CliContext& context);

}  // namespace corvane
