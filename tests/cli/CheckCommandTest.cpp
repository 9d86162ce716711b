#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include "CliRun.h"
#include "DataDirBuilder.h"
#include "GatewayProcess.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class CheckCommandTest : public ::testing::Test {
protected:
    // A FIFO waited on would hang the run: end it instead.
    void SetUp() override { ::alarm(120); }
    void TearDown() override { ::alarm(0); }
    std::string Dir() const { return dir_.Path().string(); }
    void Use(const std::string& name) {
        CopyDirectory(TestDataDir() / "metastock" / name, dir_.Path());
    }
    void ReplaceWithFifo(const std::string& name) {
        fs::remove(dir_ / name);
        ASSERT_EQ(::mkfifo((dir_ / name).c_str(), 0644), 0);
    }
    TempDir dir_;
};

TEST_F(CheckCommandTest, ReportsRepairsAndThenFindsNothing) {
    Use("atem-equis-b");
    const CliRun check = Cli({"check", Dir()});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.out,
              ".DJX (F1.DAT): index dates 19970923-20111227, bars 19970923-19970923\n"
              ".FCHI (F2.DAT): index dates 19880819-20111227, bars 19880819-19880822\n"
              "AZM.L (F256.MWD): index dates 19961231-20090724, bars 19961231-19961231\n"
              ".N225 (F2853.MWD): index dates 19820104-20111227, bars 19820104-19820105\n");
    const CliRun repair = Cli({"check", Dir(), "--repair"});
    EXPECT_EQ(repair.status, 0) << repair.err;
    EXPECT_THAT(repair.out, StartsWith("mended: .DJX (F1.DAT): dates set to 19970923-19970923"));
    EXPECT_EQ(Cli({"check", Dir()}).status, 0);
    EXPECT_EQ(Cli({"check", (dir_ / "none").string()}).status, 1);
    EXPECT_EQ(Cli({"check"}).status, 2);
    EXPECT_EQ(Cli({"check", Dir(), "--mend"}).status, 2);
}

TEST_F(CheckCommandTest, WritersRefuseADamagedDirectoryAndChangeNothing) {
    Use("okomarov-sample");
    fs::resize_file(dir_ / "Master", 53 * 200);  // cut short: 199 of 255 records
    const auto before = ReadBytes(dir_ / "Emaster");
    const std::vector<std::vector<std::string>> writes = {
        {"add", Dir(), "NEW"},
        {"delete", Dir(), "A2A"},
        {"rename", Dir(), "A2A", "A2B", "Renamed"},
    };
    const std::string refusal = "Directory " + Dir() +
                                " is damaged: Master: its header counts 255 records, the file "
                                "holds 199; run corvane-cli check --repair";
    for (const auto& args : writes) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_THAT(run.err, HasSubstr(refusal)) << args[0];
    }
    EXPECT_EQ(ReadBytes(dir_ / "Emaster"), before);
    EXPECT_EQ(fs::file_size(dir_ / "Master"), 53u * 200);
    EXPECT_EQ(Cli({"check", Dir(), "--repair"}).status, 0);
    EXPECT_EQ(Cli({"add", Dir(), "NEW"}).status, 0);

    // A download stops at the first security it would store.
    TempDir other;
    MakeDataDir(other.Path(), {{"MSFT", "MICROSOFT", 3}});
    fs::resize_file(other / "MASTER", 53);
    GatewayProcess gateway(DemoDataDir(), {"--today", "20131107"});
    const CliRun download = Cli({"download", other.Path().string(), "--from", "20130101", "--to",
                                 "20131031", "--services", gateway.BaseUrl()});
    EXPECT_EQ(download.status, 1);
    EXPECT_THAT(download.err, HasSubstr("is damaged: MASTER: its header counts 1 records"));
}

TEST_F(CheckCommandTest, NothingWaitsOnAFifo) {
    GatewayProcess gateway(DemoDataDir());
    for (const char* name : {"F1.DAT", "Xmaster", "Master", "Emaster"}) {
        SCOPED_TRACE(name);
        fs::remove_all(dir_.Path());
        Use("okomarov-sample");
        ReplaceWithFifo(name);
        const std::string symbol = "A2A";  // F1.DAT
        for (const auto& args : std::vector<std::vector<std::string>>{
                 {"list", Dir()},
                 {"bars", Dir(), symbol},
                 {"download", Dir(), symbol, "--services", gateway.BaseUrl()},
                 {"check", Dir()}}) {
            const CliRun run = Cli(args);
            EXPECT_NE(run.status, 2) << args[0];
        }
        EXPECT_THAT(Cli({"check", Dir()}).out + Cli({"check", Dir()}).err,
                    HasSubstr("not a regular file"));
    }
}

}  // namespace
}  // namespace corvane::test
