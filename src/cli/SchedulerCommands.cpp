#include "SchedulerCommands.h"

#include <fstream>

#include "AppSettings.h"
#include "CDownloader.h"
#include "CliApp.h"
#include "CliSettings.h"
#include "CurlHttpClient.h"
#include "DownloadReport.h"
#include "FiredRecord.h"
#include "ScheduleRule.h"
#include "ScheduledTaskRun.h"
#include "ServiceSettings.h"
#include "UserPaths.h"

namespace corvane {
namespace {

class QuietProgress : public Progress {
public:
    void SetRange(int) override {}
    void SetPosition(int) override {}
    void SetText(const std::string&) override {}
    bool IsCancelled() override { return false; }
};

class NoEvents : public EventPump {
public:
    bool PumpMessages() override { return false; }
};

std::string MinuteText(const std::optional<LocalMinute>& minute) {
    return minute ? FormatLocalMinute(*minute) : "never";
}

int ListTasks(const TaskTable& tasks, CliContext& context) {
    const std::optional<FiredRecord> record = ReadFiredRecord(FiredRecordFolder(UserDataDir()));
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot) {
        const ScheduleTask& task = tasks[slot];
        if (task.title.empty()) continue;
        context.out << slot << '\t' << (task.enabled != 0 ? "on" : "off") << '\t' << task.title
                    << '\t' << DayRuleText(task.days) << '\t'
                    << FormatTaskTime(task.hour, task.minute) << '\t' << task.path << '\t'
                    << (record ? MinuteText(record->fired[slot]) : "unknown") << '\n';
    }
    if (record) return kExitOk;
    context.prompt.Show("The record of scheduled runs in " +
                            FiredRecordFolder(UserDataDir()).string() + " cannot be read.",
                        kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
    return kExitFailure;
}

int RunDueTasks(const TaskTable& tasks, const CommandLine& line, CliContext& context) {
    SlotMask armable{};
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot) armable[slot] = TaskArmable(tasks[slot]);
    const LocalDateTime now = context.clock.Now();
    const TaskClaim claim = ClaimDueTasks(FiredRecordFolder(UserDataDir()), tasks, armable, now);
    if (claim.result != Result::Ok) {
        std::string text = "Scheduled tasks were not checked: " + claim.failure + ".";
        for (std::size_t slot : claim.missed)
            text += " Task \"" + tasks[slot].title + "\" is due and did not run.";
        context.prompt.Show(text, kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        return kExitFailure;
    }
    const ServiceUrls services = line.Value("--services") ? AllServicesAt(*line.Value("--services"))
                                                          : LoadServiceUrls(*UserSettings());
    const std::filesystem::path reportPath = DefaultReportPath();
    int status = kExitOk;
    for (std::size_t slot : claim.slots) {
        context.out << "task " << slot << ' ' << tasks[slot].title << '\n';
        CurlHttpClient http;
        NoEvents events;
        QuietProgress progress;
        CDownloader downloader(http, context.prompt, context.clock, events, services, reportPath);
        downloader.SetWriterWait(line.Has("--wait") ? context.wait : kScheduledWriterWait);
        const TaskRunOutcome outcome =
            RunScheduledTask(downloader, tasks[slot], now, progress, context.prompt, reportPath);
        // Whatever happened, report.txt says it; its lines follow the task's.
        std::ifstream report(reportPath);
        for (std::string text; std::getline(report, text);) context.out << text << '\n';
        if (outcome.result != Result::Ok) status = kExitFailure;
    }
    return status;
}

}  // namespace

int SchedulerCommand(const CommandLine& line, CliContext& context) {
    const std::string& action = line.Positional().front();
    const TaskTable tasks = LoadSettings(*UserSettings()).tasks;
    if (action == "list") return ListTasks(tasks, context);
    return RunDueTasks(tasks, line, context);
}

}  // namespace corvane
