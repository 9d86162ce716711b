#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <sstream>

#include "CliApp.h"
#include "CliRun.h"
#include "DataDirBuilder.h"
#include "DirectoryCheck.h"
#include "FileFaults.h"
#include "FixedClock.h"
#include "GatewayProcess.h"
#include "RecordingPrompt.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

using test::Cli;
using test::CliRun;

// What the commands do to real directories when files cannot be written,
// when the index does not match the bars, and when two programs write at once.
class NothingLostTest : public ::testing::Test {
protected:
    void TearDown() override { DisarmFileFaults(); }
    std::string Dir() const { return dir_.Path().string(); }

    CliRun Download(std::vector<std::string> extra) {
        std::vector<std::string> args = {"download", Dir(), "--services", gateway_.BaseUrl()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Cli(args);
    }

    // Sets the entry's dates without touching its bars, as another program might.
    void SetIndexDates(const std::string& symbol, std::int32_t first, std::int32_t last) {
        test::RecordingPrompt prompt;
        test::FixedClock clock;
        StoreWriter writer(prompt, clock);
        ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
        ASSERT_EQ(writer.UpdateSecurityInfo(symbol, first, last, 'D'), Result::Ok);
        writer.Close();
    }

    test::TempDir dir_;
    test::GatewayProcess gateway_{test::DemoDataDir(), {"--today", "20131107"}};
};

TEST_F(NothingLostTest, AFullDiskDuringARebuildFailsLoudlyAndKeepsTheHistory) {
    ASSERT_EQ(Cli({"add", Dir(), "MSFT"}).status, 0);
    ASSERT_EQ(Download({"--from", "20130101", "--to", "20131031"}).status, 0);
    const auto before = test::ReadAllBars(dir_.Path());
    ASSERT_GT(before.at("MSFT").size(), 200u);

    ArmFileFaults({FilePlan::Kind::DiskFull, 0, 28 * 50, ""});
    const CliRun rebuild = Download({"--from", "20120101", "--to", "20131031", "--overwrite"});
    DisarmFileFaults();
    EXPECT_EQ(rebuild.status, 1);
    EXPECT_NE(rebuild.err.find("Security MSFT was not stored"), std::string::npos) << rebuild.err;
    EXPECT_NE(rebuild.err.find("F1.DAT"), std::string::npos) << rebuild.err;
    EXPECT_NE(rebuild.out.find("\nMSFT,-2\n"), std::string::npos) << rebuild.out;
    EXPECT_EQ(test::ReadAllBars(dir_.Path()), before);
    EXPECT_EQ(test::CheckDirectory(dir_.Path()), std::vector<std::string>{});
}

TEST_F(NothingLostTest, AWriteThatFailsDuringADownloadStopsNothingElse) {
    ASSERT_EQ(Cli({"add", Dir(), "MSFT"}).status, 0);
    ASSERT_EQ(Cli({"add", Dir(), "MCD"}).status, 0);
    ASSERT_EQ(Download({"--from", "20130101", "--to", "20130930"}).status, 0);
    const auto before = test::ReadAllBars(dir_.Path());
    // The demo history has dividends, so the update rebuilds: its fifth file
    // operation on the new file is the write of MSFT's bars.
    ArmFileFaults({FilePlan::Kind::Fail, 5, 0, "F1.DAT.corvane-new"});
    const CliRun update = Download({"--from", "20130101", "--to", "20131031"});
    DisarmFileFaults();
    EXPECT_EQ(update.status, 1);
    EXPECT_NE(update.err.find("Security MSFT was not stored"), std::string::npos) << update.err;
    EXPECT_NE(update.out.find("\nMSFT,-2\n"), std::string::npos) << update.out;
    EXPECT_NE(update.out.find("\nMCD,2"), std::string::npos) << update.out;  // went on
    EXPECT_EQ(test::ReadAllBars(dir_.Path()).at("MSFT"), before.at("MSFT"));
    EXPECT_EQ(test::CheckDirectory(dir_.Path()), std::vector<std::string>{});
    // Running it again completes the work.
    EXPECT_EQ(Download({"--from", "20130101", "--to", "20131031"}).status, 0);
    EXPECT_EQ(test::ReadEntries(dir_.Path())[0].lastDate, 1131031);
}

TEST_F(NothingLostTest, AnIndexBehindOrAheadOfTheBarsNeverCostsABar) {
    ASSERT_EQ(Cli({"add", Dir(), "MSFT"}).status, 0);
    ASSERT_EQ(Download({"--from", "20130101", "--to", "20130930"}).status, 0);
    const auto stored = test::ReadAllBars(dir_.Path()).at("MSFT");

    // Behind, as a crash between the bars and the index left it elsewhere.
    SetIndexDates("MSFT", 1130102, 1130603);
    ASSERT_EQ(Download({"--from", "20130101", "--to", "20131031"}).status, 0);
    const auto updated = test::ReadAllBars(dir_.Path()).at("MSFT");
    EXPECT_TRUE(std::equal(stored.begin(), stored.end() - 1, updated.begin()));
    EXPECT_EQ(updated.size(), stored.size() + 23);  // October's days, nothing twice
    EXPECT_EQ(test::CheckDirectory(dir_.Path()), std::vector<std::string>{});

    // Ahead, as in MetaStock's own sample: the last bar is not a later day's.
    SetIndexDates("MSFT", 1130102, 1131105);
    ASSERT_EQ(Download({"--from", "20130101", "--to", "20131107"}).status, 0);
    const auto after = test::ReadAllBars(dir_.Path()).at("MSFT");
    EXPECT_TRUE(std::equal(updated.begin(), updated.end(), after.begin()));
    EXPECT_EQ(test::CheckDirectory(dir_.Path()), std::vector<std::string>{});
}

TEST_F(NothingLostTest, ADownloadIntoAFolderThatIsNoDataDirectorySaysSo) {
    for (const auto& args : {std::vector<std::string>{"MSFT"}, std::vector<std::string>{}}) {
        const CliRun run = Download(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("Directory " + Dir() + " is not a data directory."),
                  std::string::npos)
            << run.err;
    }
    EXPECT_TRUE(fs::is_empty(dir_.Path()));
}

// Two programs add securities to one directory at once: each add either
// lands or is refused with the in-use message, and nothing is half-added.
TEST_F(NothingLostTest, TwoProcessesAddingAtOnce) {
    ASSERT_EQ(Cli({"create", Dir()}).status, 0);
    int pipes[2][2];
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        ASSERT_EQ(::pipe(pipes[c]), 0);
        children[c] = ::fork();
        if (children[c] == 0) {
            std::string added;
            for (int i = 0; i < 150; ++i) {
                const std::string symbol = "P" + std::to_string(c) + "_" + std::to_string(i);
                const CliRun run = Cli({"add", Dir(), symbol});
                if (run.status == 0)
                    added += symbol + "\n";
                else if (run.err.find("is in use by other application.") == std::string::npos)
                    added += "!" + run.err;
            }
            (void)!::write(pipes[c][1], added.data(), added.size());
            ::_exit(0);
        }
        ::close(pipes[c][1]);
    }
    std::set<std::string> reported;
    for (int c = 0; c < 2; ++c) {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipes[c][0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, n);
        ::close(pipes[c][0]);
        int status = 0;
        ::waitpid(children[c], &status, 0);
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            EXPECT_NE(line[0], '!') << line;  // only the in-use message may refuse an add
            reported.insert(line);
        }
    }
    std::set<std::string> present;
    for (const auto& entry : test::ReadEntries(dir_.Path())) present.insert(entry.symbol);
    EXPECT_EQ(present, reported);
    EXPECT_GT(reported.size(), 0u);
    EXPECT_EQ(test::CheckDirectory(dir_.Path()), std::vector<std::string>{});
    // With --wait the loser waits its turn instead.
    EXPECT_EQ(Cli({"add", Dir(), "LAST", "--wait", "5"}).status, 0);
}

}  // namespace
}  // namespace corvane
