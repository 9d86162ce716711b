#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <csignal>
#include <fstream>

#include "AppSettings.h"
#include "CliRun.h"
#include "CliSettings.h"
#include "DataDirBuilder.h"
#include "DirectoryCheck.h"
#include "DownloadReport.h"
#include "FileFaults.h"
#include "FiredRecord.h"
#include "FixedClock.h"
#include "GatewayProcess.h"
#include "TempDir.h"
#include "UserPaths.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

using test::Cli;
using test::CliRun;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Another program holding a data directory: a child process with flock(2)
// on it, as `flock DIR tool` would, until the object goes.
class OtherProgram {
public:
    OtherProgram(const fs::path& directory, int operation) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
            const char held = fd >= 0 && ::flock(fd, operation) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &held, 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char held = 'n';
        holding_ = ::read(ready[0], &held, 1) == 1 && held == 'y';
        ::close(ready[0]);
    }
    ~OtherProgram() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    bool Holding() const { return holding_; }

private:
    pid_t pid_ = -1;
    bool holding_ = false;
};

// corvane-cli scheduler over the user's settings and a real data directory,
// against the gateway on loopback, at fixed times of Friday 8 November 2013.
class SchedulerCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code error;
        fs::remove_all(FiredRecordFolder(UserDataDir()), error);
        fs::remove(DefaultReportPath(), error);
        task_ = {1, 8, 18, 0, Dir(), "Evening"};
        SaveTask(4, task_);
        if (LoadSettings(*UserSettings()).tasks[4] != task_)
            GTEST_SKIP() << "this build keeps no settings";
        ASSERT_EQ(Cli({"add", Dir(), "MSFT"}).status, 0);
    }
    void TearDown() override { SaveSheetSettings(*UserSettings(), AppSettings{}); }

    static void SaveTask(std::size_t slot, const ScheduleTask& task) {
        AppSettings settings = LoadSettings(*UserSettings());
        settings.tasks[slot] = task;
        SaveSheetSettings(*UserSettings(), settings);
    }
    CliRun Run(int hour, int minute, int second, std::vector<std::string> extra = {}) {
        clock_.Set({2013, 11, 8, hour, minute, second, 5});
        std::vector<std::string> args = {"scheduler", "run", "--services", gateway_.BaseUrl()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Cli(args, clock_);
    }
    std::string Dir() const { return dir_.Path().string(); }

    test::TempDir dir_;
    test::GatewayProcess gateway_{test::DemoDataDir(), {"--today", "20131108"}};
    test::FixedClock clock_;
    ScheduleTask task_;
};

TEST_F(SchedulerCommandTest, ADueTaskDownloadsItsDirectoryOnceInItsMinute) {
    EXPECT_EQ(Run(17, 59, 30).out, "");
    const CliRun fired = Run(18, 0, 20);
    ASSERT_EQ(fired.status, 0) << fired.err;
    const std::optional<ReportContents> report = ReadReport(DefaultReportPath());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->runDate, "11/8/2013");
    ASSERT_EQ(report->entries.size(), 1u);
    EXPECT_EQ(report->entries[0].symbol, "MSFT");
    EXPECT_GT(report->entries[0].result, 400);  // two years of daily bars
    EXPECT_EQ(fired.out, "task 4 Evening\n" + ReadText(DefaultReportPath()));
    const auto bars = test::ReadBars(dir_.Path(), "MSFT");
    ASSERT_FALSE(bars.empty());
    EXPECT_EQ(bars.front().date, 1111108);  // 8 November 2011, two years back
    EXPECT_EQ(test::CheckDirectory(dir_.Path()), std::vector<std::string>{});

    // Later in the minute, and a late run after it: nothing more.
    const auto stored = test::ReadAllBars(dir_.Path());
    const std::string reportText = ReadText(DefaultReportPath());
    for (const auto& [hour, minute, second] : {std::tuple{18, 0, 59}, std::tuple{18, 1, 30}}) {
        const CliRun again = Run(hour, minute, second);
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.out, "");
    }
    EXPECT_EQ(test::ReadAllBars(dir_.Path()), stored);
    EXPECT_EQ(ReadText(DefaultReportPath()), reportText);

    const CliRun list = Cli({"scheduler", "list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "4\ton\tEvening\tMon-Fri\t06:00 PM\t" + Dir() + "\t2013-11-08 18:00\n");
}

TEST_F(SchedulerCommandTest, ARunAfterTheMachineSleptCatchesTheTaskUpOnce) {
    EXPECT_EQ(Run(17, 0, 0).out, "");
    const CliRun woke = Run(21, 14, 0);
    EXPECT_EQ(woke.status, 0) << woke.err;
    EXPECT_TRUE(woke.out.starts_with("task 4 Evening\n11/8/2013\nMSFT,")) << woke.out;
    EXPECT_EQ(Run(21, 15, 0).out, "");
}

TEST_F(SchedulerCommandTest, OnlyOneOfTwoRunsInTheSameMinuteFiresTheTask) {
    int pipes[2][2];
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        ASSERT_EQ(::pipe(pipes[c]), 0);
        children[c] = ::fork();
        if (children[c] == 0) {
            const CliRun run = Run(18, 0, 10 + c);
            const std::string said = std::to_string(run.status) + "\n" + run.out;
            (void)!::write(pipes[c][1], said.data(), said.size());
            ::_exit(0);
        }
        ::close(pipes[c][1]);
    }
    int fired = 0;
    for (int c = 0; c < 2; ++c) {
        std::string said;
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipes[c][0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, n);
        ::close(pipes[c][0]);
        int status = 0;
        ::waitpid(children[c], &status, 0);
        EXPECT_TRUE(said.starts_with("0\n")) << said;
        fired += said.find("task 4 Evening") != std::string::npos;
    }
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(test::CheckDirectory(dir_.Path()), std::vector<std::string>{});
}

TEST_F(SchedulerCommandTest, ARecordThatCannotBeWrittenRunsNothingAndFailsLoudly) {
    EXPECT_EQ(Run(17, 59, 0).status, 0);
    ArmFileFaults({FilePlan::Kind::DiskFull, 0, 0, "fired.txt.corvane-new"});
    const CliRun full = Run(18, 0, 0);
    DisarmFileFaults();
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.out, "");
    EXPECT_TRUE(
        full.err.starts_with("Corvane: Scheduled tasks were not checked: the record of "
                             "scheduled runs in "))
        << full.err;
    EXPECT_NE(full.err.find("No space left on device. Task \"Evening\" is due and did not run."),
              std::string::npos)
        << full.err;
    EXPECT_FALSE(fs::exists(DefaultReportPath()));
    // The next run catches it up.
    EXPECT_TRUE(Run(18, 1, 0).out.starts_with("task 4 Evening\n"));
}

TEST_F(SchedulerCommandTest, ATaskWhoseDirectoryIsNoDataDirectoryIsReportedAndRunsNothing) {
    const fs::path empty = dir_ / "empty";
    fs::create_directories(empty);
    const fs::path file = dir_ / "file";
    std::ofstream(file) << "x";
    for (const fs::path& path : {dir_ / "gone", empty, file}) {
        task_.path = path.string();
        SaveTask(4, task_);
        fs::remove_all(FiredRecordFolder(UserDataDir()));
        const CliRun run = Run(18, 0, 0);
        EXPECT_EQ(run.status, 1) << path;
        const std::string why = "Scheduled task \"Evening\": directory " + path.string() +
                                " is missing or is not a MetaStock data directory; nothing was "
                                "downloaded.";
        EXPECT_EQ(run.err, "Corvane: " + why + "\n");
        const std::optional<ReportContents> report = ReadReport(DefaultReportPath());
        ASSERT_TRUE(report);
        EXPECT_EQ(report->entries, (std::vector<ReportEntry>{{"", 0, why}}));
        EXPECT_EQ(run.out, "task 4 Evening\n11/8/2013\n,0," + why + "\n");
    }
    EXPECT_FALSE(fs::exists(dir_ / "gone"));
    EXPECT_TRUE(fs::is_empty(empty));
}

TEST_F(SchedulerCommandTest, AnotherProgramInTheDirectoryStopsTheRunWithoutDamage) {
    const auto before = test::ReadAllBars(dir_.Path());
    struct Case {
        int lock;
        std::string message;
        std::string reportLine;
    };
    const Case cases[] = {
        // A reader elsewhere: the symbols are read, the first write is refused.
        {LOCK_SH, "Directory " + Dir() + " is in use by other application.", "MSFT,0"},
        // A writer elsewhere: not even the symbols can be read.
        {LOCK_EX,
         "Scheduled task \"Evening\": directory " + Dir() +
             " cannot be read (another program may be changing it); nothing was downloaded.",
         ",0,Scheduled task"},
    };
    for (const Case& c : cases) {
        fs::remove_all(FiredRecordFolder(UserDataDir()));
        OtherProgram other(dir_.Path(), c.lock);
        ASSERT_TRUE(other.Holding());
        const CliRun run = Run(18, 0, 0, {"--wait", "0"});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_NE(ReadText(DefaultReportPath()).find("\n" + c.reportLine), std::string::npos);
        EXPECT_EQ(test::ReadAllBars(dir_.Path()), before);
    }
    EXPECT_EQ(test::CheckDirectory(dir_.Path()), std::vector<std::string>{});
}

TEST_F(SchedulerCommandTest, ListShowsEveryTaskInUseAndRunTakesOnlyItsActions) {
    SaveTask(0, {0, 10, 9, 5, "/data/weekend", "Weekend"});
    SaveTask(7, {1, 0, 0, 0, "/data/deleted", ""});  // a deleted task keeps its fields
    const CliRun list = Cli({"scheduler", "list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out,
              "0\toff\tWeekend\tSat-Sun\t09:05 AM\t/data/weekend\tnever\n"
              "4\ton\tEvening\tMon-Fri\t06:00 PM\t" +
                  Dir() + "\tnever\n");
    for (const auto& args :
         {std::vector<std::string>{"scheduler"}, std::vector<std::string>{"scheduler", "fire"},
          std::vector<std::string>{"scheduler", "run", "now"}})
        EXPECT_EQ(Cli(args).status, 2);
}

}  // namespace
}  // namespace corvane
