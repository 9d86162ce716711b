#include "ScheduledTaskRun.h"

#include <optional>
#include <string>

#include "DownloadReport.h"
#include "ScheduleRule.h"
#include "StoreReader.h"

namespace corvane {
namespace {

// The symbols of the directory separated by single spaces, in store order;
// nothing when the directory cannot be read.
std::optional<std::string> DirectorySymbols(const std::filesystem::path& directory,
                                            Prompt& prompt) {
    StoreReader reader(prompt);
    if (reader.Open(directory) != Result::Ok) return std::nullopt;
    std::string symbols;
    while (reader.GetRemainingSecurities() > 0) {
        reader.NextSecurity();
        symbols += (symbols.empty() ? "" : " ") + reader.GetSymbol();
    }
    reader.Close();
    return symbols;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// Said once to the user and written to report.txt, whose reader shows it
// beside the line's empty symbol.
Result TellNoRun(const ScheduleTask& task, const std::string& why, const LocalDateTime& now,
                 Prompt& prompt, const std::filesystem::path& reportPath) {
    const std::string text = OneLine("Scheduled task \"" + task.title + "\": directory " +
                                     task.path + " " + why + "; nothing was downloaded.");
    DownloadReport report;
    const bool written = report.Create(reportPath, now) && report.AddLine("", 0, text);
    report.Close();
    (void)prompt.Show(
        written ? text : text + " The report file " + reportPath.string() + " cannot be written.",
        kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
    return Result::Failed;
}

}  // namespace

TaskRunOutcome RunScheduledTask(CDownloader& downloader, const ScheduleTask& task,
                                const LocalDateTime& now, Progress& window, Prompt& prompt,
                                const std::filesystem::path& reportPath) {
    if (!StoreReader::IsDataDirectory(task.path))
        return {false, TellNoRun(task, "is missing or is not a MetaStock data directory", now,
                                 prompt, reportPath)};
    const std::optional<std::string> symbols = DirectorySymbols(task.path, prompt);
    if (!symbols)
        return {false, TellNoRun(task, "cannot be read (another program may be changing it)", now,
                                 prompt, reportPath)};
    if (symbols->empty())
        return {false, TellNoRun(task, "holds no securities", now, prompt, reportPath)};
    const DateRange range = ScheduledRange(now);
    return {true, downloader.RunScheduledDownload(task.path, *symbols, range.start, range.end,
                                                  Periodicity::Daily, window)};
}

}  // namespace corvane
