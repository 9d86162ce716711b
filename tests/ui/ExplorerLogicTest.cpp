#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "DataDirBuilder.h"
#include "DirectoryChange.h"
#include "DisplayDate.h"
#include "FileFaults.h"
#include "FixedClock.h"
#include "RecordingPrompt.h"
#include "SecurityTransfer.h"
#include "TempDir.h"
#include "TransferText.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

TEST(DisplayDateTest, EveryStoredFormShowsAsMonthDayYear) {
    const std::pair<std::int32_t, const char*> cases[] = {{20050228, "02/28/2005"},
                                                          {1050228, "02/28/2005"},
                                                          {991231, "12/31/1999"},
                                                          {1080630, "06/30/2008"},
                                                          {19991231, "12/31/1999"}};
    for (const auto& [stored, shown] : cases) EXPECT_EQ(FormatDisplayDate(stored), shown) << stored;
}

// Every form a stored date can take, odd ones included, against the
// slicing of its decimal digits spelt out plainly.
TEST(DisplayDateTest, SameTextAsTheDigitsSlicedPlainly) {
    auto plain = [](std::int32_t date) -> std::string {
        if (date < 0) return {};
        std::string digits = std::to_string(date);
        if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
        const std::size_t n = digits.size();
        const std::string year = n == 8   ? digits.substr(0, 4)
                                 : n == 7 ? "20" + digits.substr(1, 2)
                                          : "19" + digits.substr(0, 2);
        const std::string month = digits.substr(n == 8 ? 4 : n == 7 ? 3 : 2, 2);
        return month + "/" + digits.substr(n - 2) + "/" + year;
    };
    std::vector<std::int32_t> dates = {0,        1,        99999,     100000,     991231,
                                       999999,   1000000,  1050228,   9999999,    10000000,
                                       20050228, 99999999, 100000000, 2147483647, -1};
    for (std::int32_t d = 0; d < 3000000; d += 997) dates.push_back(d);
    for (std::int32_t d = 19000101; d < 21000101; d += 9973) dates.push_back(d);
    for (const std::int32_t date : dates) EXPECT_EQ(FormatDisplayDate(date), plain(date)) << date;
}

TEST(DisplayDateTest, PriceAndVolumeCellsAsPrintfWritesThem) {
    auto printf = [](const char* format, double value) {
        char text[80];
        std::snprintf(text, sizeof text, format, value);
        return std::string(text);
    };
    for (const float value : {0.0f, -0.0f, 1.005f, -84.125f, 0.000005f, 123456.789f, -0.5f, -1.5f,
                              4123400.0f, 3e38f, -7e-6f}) {
        EXPECT_EQ(PriceCellText(value, 2), printf("%.2f", std::fabs(static_cast<double>(value))));
        EXPECT_EQ(PriceCellText(value, 5), printf("%.5f", std::fabs(static_cast<double>(value))));
        EXPECT_EQ(VolumeCellText(value), printf("%.0f", std::trunc(static_cast<double>(value))))
            << value;
    }
}

TEST(DisplayDateTest, SortKeyOrdersByYearFirst) {
    EXPECT_EQ(DateSortKey("12/31/1999"), "19991231");
    EXPECT_EQ(DateSortKey("1/2/2000"), "20000102");
    EXPECT_LT(DateSortKey("12/31/1999"), DateSortKey("01/02/2000"));
    EXPECT_EQ(DateSortKey("12.50"), "12.50");
}

TEST(SecurityTransferTest, LineCarriesTheSevenFieldsAndRoundTrips) {
    const TransferLine line{false, "/quotes/F3.DAT", "IBM",  "INTL BUSINESS MACH",
                            'D',   1050103,          1080630};
    const std::string text = FormatTransferLine(line);
    EXPECT_EQ(text, "0,/quotes/F3.DAT,IBM,INTL BUSINESS MACH,68,1050103,1080630\n");
    EXPECT_EQ(ParseTransferLine(text.substr(0, text.size() - 1)), line);
    EXPECT_EQ(ParseTransferLine("1,/q/F1.MWD,X,,77,20050101,20051231\r")->periodicity, 'M');
}

TEST(SecurityTransferTest, LinesOfAnyOtherShapeAreRefused) {
    const char* bad[] = {
        "",
        "0,/q/F1.DAT,IBM,NAME,68,1050103",              // six fields
        "0,/q/F1.DAT,IBM,NAME,68,1050103,1080630,9",    // eight
        "2,/q/F1.DAT,IBM,NAME,68,1050103,1080630",      // operation
        "0,,IBM,NAME,68,1050103,1080630",               // no path
        "0,/q/F1.DAT,,NAME,68,1050103,1080630",         // no symbol
        "0,/q/F1.DAT,ABCDEFGHIJKLMNO,NAME,68,1,2",      // symbol of 15
        "0,/q/F1.DAT,IBM,NAME,0,1050103,1080630",       // periodicity code
        "0,/q/F1.DAT,IBM,NAME,68,10501x3,1080630",      // date
        "0,/q/F1.DAT,IBM,NAME,68,1050103,99999999999",  // date overflow
    };
    for (const char* line : bad) EXPECT_FALSE(ParseTransferLine(line)) << line;
    EXPECT_FALSE(CanTravel("A,B"));
    EXPECT_FALSE(CanTravel("A\nB"));
    EXPECT_TRUE(CanTravel("A.B"));
}

// Two data directories and the paste between them, as the list runs it.
class TransferTextTest : public ::testing::Test, public PasteListener {
protected:
    void SetUp() override {
        MakeDataDir(source_, {{"IBM", "INTL BUSINESS MACH", 5}, {"MSFT", "MICROSOFT", 3}});
    }
    void RemoveRow(const std::string& symbol) override { removed_.push_back(symbol); }
    void AddRow(const SecurityRecord& security) override { added_.push_back(security.symbol); }

    std::string Copy(std::vector<std::string> symbols, bool cut = false) {
        return BuildTransferText(prompt_, source_, symbols, cut);
    }
    Result Paste(const std::string& text, const fs::path& target) {
        return PasteTransferText(prompt_, clock_, target, text, *this);
    }

    TempDir dir_;
    fs::path source_ = dir_ / "source";
    fs::path target_ = dir_ / "target";
    RecordingPrompt prompt_;
    FixedClock clock_;
    std::vector<std::string> removed_;
    std::vector<std::string> added_;
};

TEST_F(TransferTextTest, CopyPastesBarsAndKeepsTheSource) {
    const std::string text = Copy({"MSFT", "IBM"});
    EXPECT_EQ(text.substr(0, 2), "0,");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    ASSERT_TRUE(Succeeded(Paste(text, target_)));  // target has no index files yet
    EXPECT_EQ(ReadSymbols(target_), (std::vector<std::string>{"MSFT", "IBM"}));
    EXPECT_EQ(ReadBars(target_, "IBM").size(), 5u);
    EXPECT_EQ(ReadSymbols(source_).size(), 2u);
    EXPECT_EQ(added_, (std::vector<std::string>{"MSFT", "IBM"}));
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(TransferTextTest, CutMovesTheSecurity) {
    ASSERT_TRUE(Succeeded(Paste(Copy({"IBM"}, true), target_)));
    EXPECT_EQ(ReadSymbols(source_), std::vector<std::string>{"MSFT"});
    EXPECT_EQ(ReadBars(target_, "IBM").back().close, 14.0f);
}

TEST_F(TransferTextTest, PastingIntoTheSourceDirectoryLosesNothing) {
    ASSERT_TRUE(Succeeded(Paste(Copy({"IBM"}, true), source_)));
    EXPECT_EQ(ReadSymbols(source_).size(), 2u);
    EXPECT_EQ(ReadBars(source_, "IBM").size(), 5u);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(TransferTextTest, FailedCopyKeepsTheSourceAndRemovesTheNewEntry) {
    const std::string text = Copy({"IBM"}, true);
    const fs::path priceFile = ReadEntries(source_).front().PriceFileName();
    fs::rename(source_ / priceFile, dir_ / "saved");
    fs::create_directory(source_ / priceFile);  // exists, but cannot be copied
    ASSERT_TRUE(Succeeded(Paste(text, target_)));
    EXPECT_TRUE(ReadSymbols(target_).empty());
    EXPECT_EQ(ReadSymbols(source_).size(), 2u);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("could not be copied"), std::string::npos);
    EXPECT_TRUE(added_.empty());
}

// The copy of the bars fails, and then, for some file operation on EMASTER,
// so does the removal of the new entry: the user must hear that it stays.
TEST_F(TransferTextTest, ANewEntryThatCannotBeRemovedAgainIsToldOf) {
    const std::string text = Copy({"IBM"});
    const fs::path priceFile = ReadEntries(source_).front().PriceFileName();
    fs::rename(source_ / priceFile, dir_ / "saved");
    fs::create_directory(source_ / priceFile);  // exists, but cannot be copied
    bool leftOver = false;
    // Some write of the intent record fails: in the add, which then leaves
    // nothing, or in the removal, which then keeps the entry.
    for (int at = 1; at <= 20; ++at) {
        SCOPED_TRACE("intent record operation " + std::to_string(at) + " fails");
        fs::remove_all(target_);
        prompt_.shown.clear();
        ArmFileFaults({FilePlan::Kind::Fail, at, 0, kIntentName});
        (void)Paste(text, target_);
        DisarmFileFaults();
        if (ReadSymbols(target_).empty()) continue;
        leftOver = true;
        ASSERT_FALSE(prompt_.shown.empty());
        EXPECT_NE(prompt_.shown.back().text.find("it stays in " + target_.string()),
                  std::string::npos)
            << prompt_.shown.back().text;
    }
    EXPECT_TRUE(leftOver);  // some failure did keep the entry
}

TEST_F(TransferTextTest, LinesThatDoNotDescribeAStoredSecurityAreSkipped) {
    MakeDataDir(target_, {});
    const std::string msftFile = (source_ / ReadEntries(source_)[1].PriceFileName()).string();
    const std::string forged[] = {
        "hello from another program",
        "1," + msftFile + ",IBM,INTL BUSINESS MACH,68,1050103,1050107",      // another entry's file
        "1," + (dir_ / "F1.DAT").string() + ",IBM,X,68,1050103,1050107",     // not a data directory
        "1," + (source_ / "MASTER").string() + ",IBM,X,68,1050103,1050107",  // not a price file
        "1,relative/F1.DAT,IBM,X,68,1050103,1050107",
    };
    std::string text;
    for (const std::string& line : forged) text += line + "\n";
    ASSERT_TRUE(Succeeded(Paste(text, target_)));
    EXPECT_EQ(prompt_.shown.size(), std::size(forged));
    EXPECT_TRUE(ReadSymbols(target_).empty());
    EXPECT_EQ(ReadSymbols(source_).size(), 2u);
}

TEST_F(TransferTextTest, AnExistingSymbolAsksBeforeItIsOverwritten) {
    struct Case {
        PromptAnswer answer;
        std::vector<std::string> targetSymbols;
        std::size_t ibmBars;
        std::vector<std::string> added;
    };
    const Case cases[] = {
        {PromptAnswer::Yes, {"IBM", "MSFT"}, 5, {"IBM", "MSFT"}},
        {PromptAnswer::No, {"IBM", "MSFT"}, 1, {"MSFT"}},
        {PromptAnswer::Cancel, {"IBM"}, 1, {}},
    };
    for (const Case& c : cases) {
        fs::remove_all(target_);
        MakeDataDir(target_, {{"IBM", "OLD IBM", 1}});
        prompt_.shown.clear();
        prompt_.answers = {c.answer};
        added_.clear();
        removed_.clear();
        ASSERT_TRUE(Succeeded(Paste(Copy({"IBM", "MSFT"}), target_)));
        ASSERT_EQ(prompt_.shown.size(), 1u);
        EXPECT_EQ(prompt_.shown[0].text,
                  "Security IBM already exists. Do you want to overwrite it?");
        EXPECT_EQ(prompt_.shown[0].buttons, PromptButtons::YesNoCancel);
        EXPECT_EQ(ReadSymbols(target_), c.targetSymbols);
        EXPECT_EQ(ReadBars(target_, "IBM").size(), c.ibmBars);
        EXPECT_EQ(added_, c.added);
        EXPECT_EQ(removed_.size(), c.answer == PromptAnswer::Yes ? 1u : 0u);
    }
}

TEST_F(TransferTextTest, SecuritiesThatCannotTravelAreRefused) {
    MakeDataDir(source_ / "odd", {{"A,B", "COMMA", 1}, {"OK", "FINE", 1}});
    const std::string text = BuildTransferText(prompt_, source_ / "odd", {"A,B", "OK"}, false);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("A,B"), std::string::npos);
}

TEST_F(TransferTextTest, ATargetThatCannotBeCreatedSaysSo) {
    std::ofstream(dir_ / "file") << "x";
    EXPECT_FALSE(Succeeded(Paste(Copy({"IBM"}), dir_ / "file" / "sub")));
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text.find("Directory "), 0u);
    // Says why, rather than blaming another program.
    EXPECT_NE(prompt_.shown[0].text.find(" cannot be changed: Not a directory."), std::string::npos)
        << prompt_.shown[0].text;
}

}  // namespace
}  // namespace corvane::test
