#pragma once

#include <chrono>
#include <filesystem>

#include "AppSettings.h"
#include "CDownloader.h"
#include "Clock.h"
#include "Progress.h"
#include "Prompt.h"
#include "Result.h"

namespace corvane {

// How long a scheduled run waits for another program that is changing its
// directory before it gives up with "Directory ... is in use by other
// application.": nobody may be there to try again. Callers set it on the
// downloader.
inline constexpr std::chrono::milliseconds kScheduledWriterWait = std::chrono::seconds(10);

struct TaskRunOutcome {
    bool ran = false;  // the download run was started
    Result result = Result::Ok;
};

// The firing action of a task, the same in the app and in corvane-cli: every
// symbol of the task's directory, downloaded daily from the same day two
// years back to today through the downloader's scheduled run. A directory
// that is gone, is not a data directory, cannot be read or holds no
// securities starts no run: one message says why, and report.txt (rewritten
// as by a run) holds it as its only line.
TaskRunOutcome RunScheduledTask(CDownloader& downloader, const ScheduleTask& task,
                                const LocalDateTime& now, Progress& window, Prompt& prompt,
                                const std::filesystem::path& reportPath);

}  // namespace corvane
