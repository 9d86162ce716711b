#include "CliApp.h"

#include <functional>
#include <map>
#include <optional>

#include "AnalyticsCommands.h"
#include "DownloadCommands.h"
#include "ExportCommands.h"
#include "SchedulerCommands.h"
#include "StoreCommands.h"
#include "StreamPrompt.h"

namespace corvane {
namespace {

constexpr const char* kUsage =
    "usage: corvane-cli COMMAND ARGS...\n"
    "  create DIR\n"
    "  list DIR\n"
    "  bars DIR SYMBOL\n"
    "  add DIR SYMBOL [NAME] [--periodicity D|W|M]\n"
    "  delete DIR SYMBOL...\n"
    "  rename DIR SYMBOL NEWSYMBOL NEWNAME\n"
    "  download DIR [SYMBOL...] [--from D] [--to D] [--period daily|weekly|monthly]\n"
    "           [--overwrite] [--services URL]\n"
    "  batch DIR... [--services URL]\n"
    "  check DIR [--repair]\n"
    "Commands that change a directory take --wait SECONDS to wait for another\n"
    "program that is changing it (default: give up at once).\n"
    "  convert DIR SYMBOL... --out OUTDIR [--preset NAME | --defaults]\n"
    "  breadth DIR --from D --to D [SYMBOL...]\n"
    "  index DIR --type equal|cap|volume [SYMBOL...] [--services URL]\n"
    "  scheduler run [--wait SECONDS] [--services URL]\n"
    "           fires the scheduled tasks that are due (run it every minute from cron\n"
    "           or a systemd timer); a scheduled run waits 10 seconds by default\n"
    "  scheduler list\n"
    "Dates are YYYYMMDD or YYYY-MM-DD.\n";

struct CliCommand {
    std::size_t minWords;
    std::size_t maxWords;
    std::set<std::string> valueOptions;
    std::set<std::string> flagOptions;
    std::function<int(const CommandLine&, CliContext&)> run;
};

const std::map<std::string, CliCommand>& Commands() {
    constexpr std::size_t kAny = SIZE_MAX;
    static const std::map<std::string, CliCommand> commands = {
        {"create", {1, 1, {"--wait"}, {}, CreateCommand}},
        {"list", {1, 1, {}, {}, ListCommand}},
        {"bars", {2, 2, {}, {}, BarsCommand}},
        {"add", {2, 3, {"--periodicity", "--wait"}, {}, AddCommand}},
        {"delete", {2, kAny, {"--wait"}, {}, DeleteCommand}},
        {"rename", {4, 4, {"--wait"}, {}, RenameCommand}},
        {"download",
         {1,
          kAny,
          {"--from", "--to", "--period", "--services", "--wait"},
          {"--overwrite"},
          DownloadCommand}},
        {"batch", {1, kAny, {"--services", "--wait"}, {}, BatchCommand}},
        {"check", {1, 1, {"--wait"}, {"--repair"}, CheckCommand}},
        {"convert", {2, kAny, {"--out", "--preset"}, {"--defaults"}, ConvertCommand}},
        {"breadth", {1, kAny, {"--from", "--to"}, {}, BreadthCommand}},
        {"index", {1, kAny, {"--type", "--services"}, {}, IndexCommand}},
        {"scheduler", {1, 1, {"--wait", "--services"}, {}, SchedulerCommand}},
    };
    return commands;
}

bool ValidPeriodicity(const CommandLine& line) {
    const auto value = line.Value("--periodicity");
    return !value || *value == "D" || *value == "W" || *value == "M" || *value == "d" ||
           *value == "w" || *value == "m";
}

// Whole seconds, at most a day.
std::optional<std::chrono::milliseconds> WaitOf(const CommandLine& line) {
    const std::string text = line.Value("--wait").value_or("0");
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int seconds = std::stoi(text);
    if (seconds > 86400) return std::nullopt;
    return std::chrono::seconds(seconds);
}

// What the dialogs refuse too: an empty symbol, one longer than the 14
// characters an entry holds, and characters that would split it in a list,
// the clipboard text or report.txt.
std::optional<std::string> SymbolProblem(const std::string& symbol) {
    if (symbol.empty()) return "a symbol cannot be empty";
    if (symbol.size() > 14) return "the symbol " + symbol + " is longer than 14 characters";
    if (symbol.find_first_of(" ,\r\n\t") != std::string::npos)
        return "a symbol cannot hold a space, a comma or a line break";
    return std::nullopt;
}

// The symbols a command would store: add's, and rename's new one.
std::optional<std::string> StoredSymbolProblem(const std::string& command,
                                               const std::vector<std::string>& words) {
    if (command == "add") return SymbolProblem(words.at(1));
    if (command == "rename") return SymbolProblem(words.at(2));
    return std::nullopt;
}

bool ValidAction(const std::string& command, const std::vector<std::string>& words) {
    return command != "scheduler" || words.at(0) == "run" || words.at(0) == "list";
}

int UsageError(std::ostream& err, const std::string& problem) {
    err << "corvane-cli: " << problem << '\n' << kUsage;
    return kExitUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const SystemClock clock;
    return RunCli(args, out, err, clock);
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Clock& clock) {
    if (args.empty()) return UsageError(err, "no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << kUsage;
        return kExitOk;
    }
    const auto found = Commands().find(args[0]);
    if (found == Commands().end()) return UsageError(err, "unknown command " + args[0]);
    const CliCommand& command = found->second;

    std::string problem;
    const std::vector<std::string> words(args.begin() + 1, args.end());
    const auto line = CommandLine::Parse(words, command.valueOptions, command.flagOptions, problem);
    if (!line) return UsageError(err, problem);
    const std::size_t count = line->Positional().size();
    if (count < command.minWords || count > command.maxWords)
        return UsageError(err, "wrong number of arguments for " + args[0]);
    if (!ValidPeriodicity(*line)) return UsageError(err, "periodicity must be D, W or M");
    if (const auto problem = StoredSymbolProblem(args[0], line->Positional()))
        return UsageError(err, *problem);
    if (!ValidAction(args[0], line->Positional()))
        return UsageError(err, args[0] + " takes run or list");
    const auto wait = WaitOf(*line);
    if (!wait) return UsageError(err, "--wait takes whole seconds, at most 86400");

    StreamPrompt prompt(err);
    CliContext context{out, err, prompt, clock, *wait};
    return command.run(*line, context);
}

}  // namespace corvane
