#include <gmock/gmock.h>

#include <fstream>

#include "CalendarDate.h"
#include "CurlHttpClient.h"
#include "DayQuoteSource.h"
#include "FixedClock.h"
#include "ForexSource.h"
#include "GatewayProcess.h"
#include "HistorySource.h"
#include "RecordingHttpClient.h"
#include "RecordingPrompt.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

using ::testing::HasSubstr;

void WriteCsv(const std::filesystem::path& path, std::int32_t firstDate, int rows) {
    std::ofstream out(path);
    out << "Date,Open,High,Low,Close,Volume,Adj Close\n";
    std::int32_t date = firstDate;
    for (int i = 0; i < rows; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "%04d-%02d-%02d,10,11,9,10.5,12300,10.5\n", date / 10000,
                      date / 100 % 100, date % 100);
        out << line;
        date = date % 100 >= 28 ? (date / 100 % 100 == 12 ? (date / 10000 + 1) * 10000 + 101
                                                          : date - date % 100 + 101)
                                : date + 1;
    }
}

class SourcesOverHttpTest : public ::testing::Test {
protected:
    FetchSession Session(HttpClient& http) {
        FetchSession session{http, prompt_};
        session.retryPauseMs = 5;
        return session;
    }

    TempDir data_;
    RecordingPrompt prompt_;
};

TEST_F(SourcesOverHttpTest, DottedSymbolIsFetchedInPagesOf200) {
    WriteCsv(data_ / "ENI.MI.csv", 20000101, 450);
    GatewayProcess gateway(data_.Path());
    ASSERT_TRUE(gateway.Running());
    RecordingHttpClient http;
    FetchSession session = Session(http);
    const HistoryFetch fetch = FetchHistory(session, gateway.BaseUrl(), "ENI.MI", 19991231,
                                            20201231, Periodicity::Daily, DownloadMode::Overwrite);
    ASSERT_EQ(fetch.status, FetchStatus::Ok);
    ASSERT_EQ(http.urls.size(), 3u);
    EXPECT_THAT(http.urls[0], HasSubstr("&z=200&y=0&"));
    EXPECT_THAT(http.urls[1], HasSubstr("&z=200&y=200&"));
    EXPECT_THAT(http.urls[2], HasSubstr("&z=200&y=400&"));
    ASSERT_EQ(fetch.rows.size(), 450u);
    EXPECT_EQ(fetch.newRecords, 450);
    EXPECT_EQ(fetch.rows.front().date, 20000101);
    for (std::size_t i = 1; i < fetch.rows.size(); ++i)
        ASSERT_LT(fetch.rows[i - 1].date, fetch.rows[i].date);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(SourcesOverHttpTest, UnknownSymbolIsRejected) {
    GatewayProcess gateway(DemoDataDir());
    RecordingHttpClient http;
    FetchSession session = Session(http);
    const HistoryFetch fetch = FetchHistory(session, gateway.BaseUrl(), "NOSUCH", 20000101,
                                            20201231, Periodicity::Daily, DownloadMode::Overwrite);
    EXPECT_EQ(fetch.status, FetchStatus::Rejected);
    EXPECT_TRUE(fetch.rows.empty());
    EXPECT_EQ(session.stopFlag, 0);
}

TEST_F(SourcesOverHttpTest, SplitRowsOfRealHistoryAreAdjusted) {
    GatewayProcess gateway(DemoDataDir());
    RecordingHttpClient http;
    FetchSession session = Session(http);
    const HistoryFetch fetch = FetchHistory(session, gateway.BaseUrl(), "SPY", 20110101, 20110131,
                                            Periodicity::Daily, DownloadMode::Overwrite);
    ASSERT_EQ(fetch.status, FetchStatus::Ok);
    ASSERT_FALSE(fetch.rows.empty());
    int adjusted = 0;
    const PriceBar bar = RowToBar(fetch.rows.front(), adjusted);
    EXPECT_EQ(adjusted, 1);
    EXPECT_EQ(bar.close, std::stof(fetch.rows.front().fields[6]));
}

TEST_F(SourcesOverHttpTest, WeeklyBarsStartOnTheWeeksFirstTradingDay) {
    GatewayProcess gateway(DemoDataDir());
    RecordingHttpClient http;
    FetchSession session = Session(http);
    // 17 January 2011 was a holiday: that week starts on Tuesday the 18th.
    const HistoryFetch fetch = FetchHistory(session, gateway.BaseUrl(), "SPY", 20110110, 20110123,
                                            Periodicity::Weekly, DownloadMode::Overwrite);
    ASSERT_EQ(fetch.rows.size(), 2u);
    EXPECT_EQ(fetch.rows[0].date, 20110110);
    EXPECT_EQ(fetch.rows[1].date, 20110118);
}

TEST_F(SourcesOverHttpTest, TransientFailuresAreRetriedSilently) {
    GatewayProcess gateway(DemoDataDir(), {"--fail-first", "2"});
    RecordingHttpClient http;
    FetchSession session = Session(http);
    const HistoryFetch fetch = FetchHistory(session, gateway.BaseUrl(), "MSFT", 20130101, 20130131,
                                            Periodicity::Daily, DownloadMode::Overwrite);
    EXPECT_EQ(fetch.status, FetchStatus::Ok);
    EXPECT_EQ(fetch.rows.size(), 21u);
    EXPECT_EQ(http.urls.size(), 3u);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(SourcesOverHttpTest, AServiceThatKeepsTimingOutStopsTheRun) {
    GatewayProcess gateway(DemoDataDir(), {"--delay-ms", "1500"});
    RecordingHttpClient http(1);
    FetchSession session = Session(http);
    session.maxTransientRetries = 2;
    EXPECT_FALSE(FetchLines(session, gateway.BaseUrl() + "/table.csv?s=MSFT"));
    EXPECT_EQ(http.urls.size(), 3u);
    EXPECT_EQ(session.stopFlag, 1);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_THAT(prompt_.shown[0].text, HasSubstr("timed out"));
    EXPECT_EQ(prompt_.shown[0].caption, "Corvane Error Message");
}

TEST_F(SourcesOverHttpTest, HostThatDoesNotResolveIsFatalAtOnce) {
    RecordingHttpClient http;
    FetchSession session = Session(http);
    EXPECT_FALSE(FetchLines(session, "http://quotes.nosuch.invalid/table.csv"));
    EXPECT_EQ(http.urls.size(), 1u);
    EXPECT_EQ(session.stopFlag, 1);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].caption, "Corvane Error Message");
}

TEST_F(SourcesOverHttpTest, ForexLinesDropSaturdaysKeepSundays) {
    GatewayProcess gateway(DemoDataDir());
    RecordingHttpClient http;
    FetchSession session = Session(http);
    const HistoryFetch fetch = FetchForex(session, gateway.BaseUrl(), "FX$EURGBP", 20010216,
                                          20010331, Periodicity::Daily, DownloadMode::Overwrite);
    ASSERT_EQ(fetch.status, FetchStatus::Ok);
    ASSERT_FALSE(fetch.rows.empty());
    bool sunday = false;
    for (const auto& row : fetch.rows) {
        EXPECT_NE(DayOfWeek(row.date), 6) << row.date;
        sunday = sunday || DayOfWeek(row.date) == 0;
        EXPECT_EQ(row.fields[4], row.fields[6]);
    }
    EXPECT_TRUE(sunday);
    EXPECT_THAT(http.urls[0], HasSubstr("&em=88&"));
}

class DayQuoteTest : public SourcesOverHttpTest {
protected:
    // One low entry with one bar dated `lastDate` (CYYMMDD).
    QuoteTarget StoreWithOneBar(const std::string& symbol, std::int32_t lastDate) {
        EXPECT_EQ(writer_.CreateDirectory(dir_.Path()), Result::Ok);
        EXPECT_EQ(writer_.Open(dir_.Path()), Result::Ok);
        EXPECT_EQ(writer_.AddSecurity(symbol, symbol, 'D'), Result::Ok);
        EXPECT_EQ(writer_.OpenPriceFileForWrite(symbol, false), Result::Ok);
        EXPECT_EQ(writer_.AppendBar({lastDate, 1, 1, 1, 1, 1, 0}), Result::Ok);
        EXPECT_EQ(writer_.ClosePriceFile(), Result::Ok);
        EXPECT_EQ(writer_.UpdateSecurityInfo(symbol, lastDate, lastDate, 'D'), Result::Ok);
        return {symbol, lastDate, lastDate, 'D'};
    }

    std::vector<PriceBar> Bars(const std::string& symbol) {
        writer_.Close();
        StoreReader reader(prompt_);
        std::vector<PriceBar> bars;
        if (reader.Open(dir_.Path()) == Result::Ok &&
            reader.OpenPriceFileBySymbol(symbol) == Result::Ok) {
            lastDate_ = reader.GetLastDate();
            while (reader.GetRemainingBars() > 0) {
                reader.ReadNextBar();
                bars.push_back(reader.CurrentBar());
            }
        }
        reader.Close();
        return bars;
    }

    int Fetch(const std::string& today, const QuoteTarget& target) {
        GatewayProcess gateway(DemoDataDir(), {"--today", today});
        RecordingHttpClient http;
        FetchSession session = Session(http);
        return FetchDayQuote(session, writer_, clock_, gateway.BaseUrl(), target);
    }

    TempDir dir_;
    FixedClock clock_{{2013, 12, 31, 18, 0, 0, 2}};
    StoreWriter writer_{prompt_, clock_};
    std::int32_t lastDate_ = 0;
};

TEST_F(DayQuoteTest, QuoteWithinFiveDaysIsAppended) {
    const QuoteTarget target = StoreWithOneBar("MSFT", 1131101);  // a Friday
    EXPECT_EQ(Fetch("20131104", target), 1);
    const auto bars = Bars("MSFT");
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[1].date, 1131104);
    EXPECT_EQ(lastDate_, 1131104);
    EXPECT_NEAR(bars[1].volume, 280607.0, 1.0);  // 28,060,700 shares in hundreds
}

TEST_F(DayQuoteTest, QuoteOfTheSameDayRewritesTheLastBar) {
    const QuoteTarget target = StoreWithOneBar("MSFT", 1131101);
    EXPECT_EQ(Fetch("20131101", target), 1);
    const auto bars = Bars("MSFT");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_NE(bars[0].close, 1.0f);
    EXPECT_EQ(lastDate_, 1131101);
}

TEST_F(DayQuoteTest, QuoteTooFarAfterTheHistoryIsIgnored) {
    const QuoteTarget target = StoreWithOneBar("MSFT", 1131025);
    EXPECT_EQ(Fetch("20131104", target), 0);
    EXPECT_EQ(Bars("MSFT").size(), 1u);
}

TEST_F(DayQuoteTest, IndexValueComesFromTheQuotePage) {
    const QuoteTarget target = StoreWithOneBar("^GSPC", 1131230);
    EXPECT_EQ(Fetch("20131231", target), 1);
    const auto bars = Bars("^GSPC");
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[1].date, 1131231);
    EXPECT_NEAR(bars[1].close, 1848.36, 0.01);
    EXPECT_NEAR(bars[1].low, 1842.41, 0.01);
    EXPECT_NEAR(bars[1].high, 1849.44, 0.01);
}

}  // namespace
}  // namespace corvane::test
