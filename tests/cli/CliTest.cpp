#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "CliApp.h"
#include "CliRun.h"
#include "CliSettings.h"
#include "ConversionOptions.h"
#include "GatewayProcess.h"
#include "TempDir.h"

namespace corvane {
namespace {

using test::Cli;
using test::CliRun;

class CliTest : public ::testing::Test {
protected:
    std::string Dir() const { return dir_.Path().string(); }
    test::TempDir dir_;
};

TEST_F(CliTest, StoreCommandsRoundTrip) {
    ASSERT_EQ(Cli({"create", Dir()}).status, 0);
    ASSERT_EQ(Cli({"add", Dir(), "IBM", "Intl Business Machines"}).status, 0);
    ASSERT_EQ(Cli({"add", Dir(), "EURUSD", "--periodicity", "w"}).status, 0);
    ASSERT_EQ(Cli({"rename", Dir(), "ibm", "IBM.N", "IBM Corp"}).status, 0);

    const CliRun list = Cli({"list", Dir()});
    EXPECT_EQ(list.status, 0);
    // Names are cut to the 16 bytes a low entry holds; dates are two years back.
    const std::string firstDate =
        std::to_string(std::stoi(list.out.substr(list.out.find("\tD\t") + 3, 8)));
    EXPECT_EQ(list.out, "IBM.N\tIBM Corp\tD\t" + firstDate + "\t" + firstDate + "\tF1.DAT\n" +
                            "EURUSD\tEURUSD\tW\t" + firstDate + "\t" + firstDate + "\tF2.DAT\n");
    EXPECT_EQ(firstDate.size(), 8u);

    EXPECT_EQ(Cli({"bars", Dir(), "EURUSD"}).out, "");
    ASSERT_EQ(Cli({"delete", Dir(), "IBM.N", "EURUSD"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "EMASTER"));
}

TEST_F(CliTest, BarsPrintedInLongDatesAndNineDigits) {
    test::CopyDirectory(test::TestDataDir() / "metastock/atem-equis-b", dir_.Path());
    const CliRun bars = Cli({"bars", Dir(), ".N225"});
    EXPECT_EQ(bars.status, 0);
    EXPECT_EQ(bars.out.substr(0, bars.out.find('\n')),
              "19820104\t7718.83984\t7718.83984\t7718.83984\t7718.83984\t0\t0");
}

TEST_F(CliTest, FailuresGoToStandardErrorWithTheirCaption) {
    test::CopyDirectory(test::TestDataDir() / "metastock/atem-equis-b", dir_.Path());
    const CliRun missing = Cli({"bars", Dir(), "NOPE"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Vaultix: Can not find security: NOPE\n");
    const CliRun partly = Cli({"delete", Dir(), ".DJX", "NOPE"});
    EXPECT_EQ(partly.status, 1);
    EXPECT_EQ(partly.err, "Vaultix: Can not find security: NOPE\n");
    const CliRun notADirectory = Cli({"list", (dir_ / "none").string()});
    EXPECT_EQ(notADirectory.status, 1);
    EXPECT_NE(notADirectory.err.find("Corvane: "), std::string::npos);
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"list"},
        {"bars", Dir()},
        {"add", Dir(), "X", "--periodicity"},
        {"add", Dir(), "X", "--periodicity", "Q"},
        {"rename", Dir(), "A", "B"},
        {"list", Dir(), "--bogus"},
        {"add", Dir(), "ABCDEFGHIJKLMNO"},  // 15 characters
        {"add", Dir(), ""},
        {"add", Dir(), "A,B"},
        {"add", Dir(), "A\nB"},
        {"add", Dir(), "A B"},
        {"rename", Dir(), "IBM", "I B M", "IBM Corp"},
    };
    for (const auto& args : cases) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
    }
    EXPECT_EQ(Cli({"--help"}).status, 0);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST_F(CliTest, DownloadAndBatchPrintTheReport) {
    test::GatewayProcess gateway(test::DemoDataDir());
    ASSERT_TRUE(gateway.Running());
    const std::string other = (dir_ / "other").string();
    ASSERT_EQ(Cli({"add", Dir(), "MSFT"}).status, 0);
    ASSERT_EQ(Cli({"add", other, "MCD"}).status, 0);
    const CliRun download = Cli({"download", Dir(), "--from", "2013-10-01", "--to", "20131031",
                                 "--services", gateway.BaseUrl() + "/"});
    EXPECT_EQ(download.status, 0) << download.err;
    EXPECT_EQ(download.out.substr(download.out.find('\n') + 1), "MSFT,22\n");
    const CliRun batch = Cli({"batch", Dir(), other, "--services", gateway.BaseUrl()});
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_NE(batch.out.find("\nMSFT,"), std::string::npos);
    EXPECT_NE(batch.out.find("\nMCD,"), std::string::npos);
    EXPECT_EQ(Cli({"download", Dir(), "--period", "hourly"}).status, 2);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST_F(CliTest, ConvertWithTheDefaultButtonsOptions) {
    test::CopyDirectory(test::TestDataDir() / "metastock/atem-equis-b", dir_.Path());
    const std::string out = (dir_ / "out").string();
    std::filesystem::create_directory(out);
    const CliRun run = Cli({"convert", Dir(), ".N225", "--out", out, "--defaults"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::ifstream in(dir_ / "out" / ".N225.txt");
    std::string header, first;
    std::getline(in, header);
    std::getline(in, first);
    EXPECT_EQ(header, "<DTYYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>");
    EXPECT_EQ(first, "19820104,7718.84,7718.84,7718.84,7718.84,0.00");
    EXPECT_EQ(Cli({"convert", Dir(), ".N225", "--out", out, "--preset", "None"}).status, 1);
    // A symbol the directory lacks fails the command, the others are written.
    std::filesystem::remove(dir_ / "out" / ".N225.txt");
    EXPECT_EQ(Cli({"convert", Dir(), "NOPE", ".N225", "--out", out, "--defaults"}).status, 1);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "out" / ".N225.txt"));
    EXPECT_EQ(Cli({"convert", Dir(), ".N225"}).status, 2);
}

// Nothing is written when the output directory cannot take the files, or
// when the current options would name a file outside it.
TEST_F(CliTest, ConvertWritesNothingOutsideAUsableOutputDirectory) {
    test::CopyDirectory(test::TestDataDir() / "metastock/atem-equis-b", dir_ / "data");
    const std::string data = (dir_ / "data").string();
    const auto out = dir_ / "out";
    std::filesystem::create_directory(out);
    auto filesAround = [&] {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
            files.push_back(entry.path().filename().string());
        for (const auto& entry : std::filesystem::directory_iterator(out))
            files.push_back("out/" + entry.path().filename().string());
        std::sort(files.begin(), files.end());
        return files;
    };
    const std::vector<std::string> before = {"data", "out"};

    const auto missing = (dir_ / "missing").string();
    const CliRun noDirectory = Cli({"convert", data, ".N225", "--out", missing, "--defaults"});
    EXPECT_EQ(noDirectory.status, 1);
    EXPECT_EQ(noDirectory.err,
              "Corvane: Output directory " + missing + " does not exist; nothing was converted.\n");
    EXPECT_EQ(filesAround(), before);

    // The current options come from the settings, where anything may stand.
    ConversionOptions options = ConversionOptions::Defaults();
    options.singleFile = true;
    options.fileName = "../x";
    SaveConversionOptions(*UserSettings(), kCurrentOptionSection, options);
    if (LoadConversionOptions(*UserSettings(), kCurrentOptionSection).fileName != "../x")
        GTEST_SKIP() << "this build keeps no settings";
    const CliRun outside = Cli({"convert", data, ".N225", "--out", out.string()});
    EXPECT_EQ(outside.status, 1);
    EXPECT_EQ(outside.err,
              "Corvane: Output file name \"../x\" can not name a file in the output directory; "
              "nothing was converted.\n");
    options.singleFile = false;
    options.extension = "/../../y";
    SaveConversionOptions(*UserSettings(), kCurrentOptionSection, options);
    EXPECT_EQ(Cli({"convert", data, ".N225", "--out", out.string()}).status, 1);
    EXPECT_EQ(filesAround(), before);
    SaveConversionOptions(*UserSettings(), kCurrentOptionSection, ConversionOptions{});
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST_F(CliTest, BreadthAndIndexOverDownloadedHistory) {
    test::GatewayProcess gateway(test::DemoDataDir());
    for (const char* symbol : {"MSFT", "MCD", "AAPL"})
        ASSERT_EQ(Cli({"add", Dir(), symbol}).status, 0);
    ASSERT_EQ(Cli({"download", Dir(), "--from", "20130101", "--to", "20131031", "--services",
                   gateway.BaseUrl()})
                  .status,
              0);
    const CliRun breadth = Cli({"breadth", Dir(), "--from", "20130201", "--to", "20131031"});
    EXPECT_EQ(breadth.status, 0) << breadth.err;
    EXPECT_NE(breadth.out.find("total missing\t0"), std::string::npos) << breadth.out;
    const CliRun index = Cli({"index", Dir(), "msft", "MCD", "--type", "equal"});
    EXPECT_EQ(index.status, 0) << index.err;
    const std::string list = Cli({"list", Dir()}).out;
    for (const char* series :
         {"#ADV\t", "#DECL\t", "#UNCH\t", "#HIGHS\t", "#LOWS\t", "#EQ_INDEX\t"})
        EXPECT_NE(list.find(series), std::string::npos) << series;
    EXPECT_EQ(Cli({"breadth", Dir(), "--from", "20131031", "--to", "20130201"}).status, 1);
    EXPECT_EQ(Cli({"index", Dir(), "--type", "median"}).status, 2);
}

}  // namespace
}  // namespace corvane
