#include <gtest/gtest.h>

#include "DayQuoteSource.h"
#include "ForexSource.h"
#include "HistorySource.h"

namespace corvane {
namespace {

TEST(RowDateTest, BothFormsAndInvalidDates) {
    const std::pair<std::string, std::int32_t> valid[] = {
        {"2005-03-15", 20050315}, {"15-Mar-05", 20050315},  {"3-Jan-99", 19990103},
        {"3-Jan-19", 20190103},   {"2024-06-28", 20240628}, {"31-Dec-12", 20121231},
    };
    for (const auto& [text, date] : valid) EXPECT_EQ(ParseRowDate(text), date) << text;
    for (const char* text : {"", "Date", "2005-13-01", "2005-02-30", "0000-00-00", "x-Mar-05",
                             "15-Foo-05", "15-Mar-2005", "2005-3-15", "20050315"}) {
        EXPECT_FALSE(ParseRowDate(text).has_value()) << text;
    }
}

TEST(HistoryResponseTest, RowsOldestFirstBadRowsSkipped) {
    const std::vector<std::string> lines = {
        "Date,Open,High,Low,Close,Volume,Adj Close",
        "2005-03-16,3,3,3,3,300,3",
        "",
        "2005-02-30,9,9,9,9,9,9",
        "2005-03-15,2,2,2,2",
        "<!-- markup -->",
        "15-Mar-05,1,1,1,1,100,1",
        "2005-03-14,1,1,1,1,100,1",
    };
    const HistoryPage page = ReadHistoryResponse(lines, 20050314);
    ASSERT_EQ(page.rows.size(), 3u);
    EXPECT_EQ(page.rows[0].date, 20050314);
    EXPECT_EQ(page.rows[2].date, 20050316);
    EXPECT_EQ(page.newRecords, 2);
    EXPECT_EQ(page.dataLines, 5);  // lines of the page, bad or not, drive the paging
    EXPECT_FALSE(page.rejected);
}

TEST(HistoryResponseTest, NotFoundAnywhereRejectsTheSymbol) {
    for (const char* line : {"<h1>Not Found</h1>", "symbol not found"}) {
        const HistoryPage page = ReadHistoryResponse({"2005-03-16,3,3,3,3,300,3", line}, 0);
        EXPECT_TRUE(page.rejected) << line;
    }
}

TEST(RowToBarTest, SplitAdjustmentAndVolumeInHundreds) {
    int adjusted = 0;
    const PriceBar plain =
        RowToBar({20050315, {"", "1", "2", "0.5", "1.5", "1234500", "1.5"}}, adjusted);
    EXPECT_EQ(adjusted, 0);
    EXPECT_EQ(plain.date, 1050315);
    EXPECT_EQ(plain.volume, 12345.0f);
    EXPECT_EQ(plain.close, 1.5f);
    EXPECT_EQ(plain.openInterest, 0.0f);

    const PriceBar split =
        RowToBar({19991231, {"", "44", "48", "40", "40.00", "100", "20.00"}}, adjusted);
    EXPECT_EQ(adjusted, 1);
    EXPECT_EQ(split.date, 991231);
    EXPECT_EQ(split.open, 22.0f);
    EXPECT_EQ(split.high, 24.0f);
    EXPECT_EQ(split.low, 20.0f);
    EXPECT_EQ(split.close, 20.0f);

    const PriceBar junk = RowToBar({20050315, {"", "x", "", "1e999", "0", "-", "7"}}, adjusted);
    EXPECT_EQ(junk.open, 0.0f);
    EXPECT_EQ(junk.close, 0.0f);  // no ratio to a zero close
}

TEST(ForexLineTest, ReshapedIntoHistoryRows) {
    EXPECT_EQ(ReshapeForexLine("EURUSD,D,20050315,000000,1.3312,1.3345,1.3290,1.3320,0"),
              "2005-03-15,1.3312,1.3345,1.3290,1.3320,0,1.3320");
    // A volume is kept whole, not cut by its trailing zeros.
    EXPECT_EQ(ReshapeForexLine("EURGBP,D,20200316,000000,0.9,0.91,0.89,0.905,1200"),
              "2020-03-16,0.9,0.91,0.89,0.905,1200,0.905");
    EXPECT_FALSE(ReshapeForexLine("EURUSD,D,20050319,000000,1,1,1,1,0"));  // a Saturday
    EXPECT_TRUE(ReshapeForexLine("EURUSD,D,20050320,000000,1,1,1,1,0"));   // a Sunday
    EXPECT_FALSE(ReshapeForexLine("EURUSD,D,2005031,000000,1,1,1,1,0"));
    EXPECT_FALSE(ReshapeForexLine("EURUSD,D,20050315"));
}

TEST(QuoteLineTest, FieldsAndNoQuote) {
    const auto quote =
        ParseQuoteLine("\"IBM\",92.50,\"3/15/2005\",-0.30,92.80,93.10,92.20,1234500", true);
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->date, 1050315);
    EXPECT_DOUBLE_EQ(quote->close, 92.5);
    EXPECT_DOUBLE_EQ(quote->open, 92.8);
    EXPECT_DOUBLE_EQ(quote->low, 92.2);
    EXPECT_DOUBLE_EQ(quote->volume, 12345);
    EXPECT_EQ(ParseQuoteLine("\"IBM\",92.50,\"3/15/2005\",-0.30,92.80,93.10,92.20,0", false)->date,
              20050315);
    EXPECT_FALSE(ParseQuoteLine("\"XYZ\",0.00,\"N/A\",N/A,N/A,N/A,N/A,N/A", true));
    EXPECT_FALSE(ParseQuoteLine("Missing Symbols List.", true));
    // A year far outside the calendar is no date, not an overflow.
    EXPECT_FALSE(ParseQuoteLine("\"X\",1.5,\"3/15/2005030\",0,1,1,1,1", true));
}

std::vector<std::string> IndexPage(bool withOpen) {
    std::vector<std::string> page = {
        "<div>U.S. Markets closed Mar 15, 4:00PM ET</div>",
        "<tr><th>Index Value:</th><td><b>1,197.75</b></td></tr>",
        "<tr><th>Trade Time:</th><td>Mar 15</td></tr>",
        "<tr><th>Day's Range:</th><td><span>1,195.10</span> - <span>1,201.20</span></td></tr>",
        "<tr><th>Volume:</th><td>1,234,500</td></tr>",
    };
    if (withOpen) page.push_back("<tr><th>Open:</th><td>1,200.08</td></tr>");
    return page;
}

TEST(IndexPageTest, AllLabelsGiveABar) {
    const auto quote = ParseIndexPage(IndexPage(true), true, 2005);
    ASSERT_TRUE(quote);
    EXPECT_EQ(quote->date, 1050315);
    EXPECT_DOUBLE_EQ(quote->close, 1197.75);
    EXPECT_DOUBLE_EQ(quote->open, 1200.08);
    EXPECT_DOUBLE_EQ(quote->low, 1195.10);
    EXPECT_DOUBLE_EQ(quote->high, 1201.20);
    EXPECT_DOUBLE_EQ(quote->volume, 1234500);  // not scaled
    EXPECT_FALSE(ParseIndexPage(IndexPage(false), true, 2005));
}

}  // namespace
}  // namespace corvane
