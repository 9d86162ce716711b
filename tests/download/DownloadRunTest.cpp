#include <gmock/gmock.h>

#include <cstdlib>
#include <fstream>
#include <functional>

#include "CDownloader.h"
#include "CalendarDate.h"
#include "Coding.h"
#include "FixedClock.h"
#include "GatewayProcess.h"
#include "RecordingHttpClient.h"
#include "RecordingPrompt.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class QuietProgress : public Progress {
public:
    void SetRange(int maximum) override { range = maximum; }
    void SetPosition(int value) override { position = value; }
    void SetText(const std::string& value) override { text = value; }
    bool IsCancelled() override { return ++asked >= cancelAfter; }
    int range = 0, position = 0, asked = 0, cancelAfter = 1 << 30;
    std::string text;
};

class CountingPump : public EventPump {
public:
    bool PumpMessages() override {
        ++pumped;
        return false;
    }
    int pumped = 0;
};

// Thursday 7 November 2013, the last day of the demo history of MSFT.
constexpr LocalDateTime kThursday{2013, 11, 7, 18, 0, 0, 4};

class DownloadRunTest : public ::testing::Test {
protected:
    std::filesystem::path Dir(int i = 0) const { return dirs_[i].Path(); }

    void AddSecurity(const std::string& symbol, char periodicity = 'D', int dir = 0) {
        StoreWriter writer(prompt_, clock_);
        if (writer.Open(Dir(dir)) != Result::Ok) {
            ASSERT_EQ(writer.CreateDirectory(Dir(dir)), Result::Ok);
        }
        ASSERT_EQ(writer.Open(Dir(dir)), Result::Ok);
        ASSERT_EQ(writer.AddSecurity(symbol, symbol, periodicity), Result::Ok);
        writer.Close();
    }

    // Runs a download against a gateway whose quote day is `today`.
    std::vector<std::string> Run(const std::string& symbols, std::int32_t start, std::int32_t end,
                                 Periodicity periodicity = Periodicity::Daily,
                                 const std::string& today = "20131107", bool overwrite = false,
                                 const BatchTable* batch = nullptr) {
        GatewayProcess gateway(DemoDataDir(), {"--today", today});
        http_.urls.clear();
        CDownloader downloader(http_, prompt_, clock_, pump_, AllAt(gateway.BaseUrl()),
                               home_ / "report.txt");
        downloader.SetRetryPause(5);
        downloader.SetDirectory(Dir());
        downloader.SetOverwrite(overwrite);
        downloader.SetBatch(batch);
        downloader.SetDisplay({onSymbol_, nullptr, [this] { ++reloads_; }});
        lastRun_ = downloader.RunDownload(symbols, start, end, periodicity, progress_);
        return ReportLines();
    }

    static ServiceUrls AllAt(const std::string& url) { return {url, url, url}; }

    Result lastRun_ = Result::Ok;

    std::vector<std::string> ReportLines() const {
        std::ifstream in(home_ / "report.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        if (!lines.empty()) lines.erase(lines.begin());  // the run's date
        return lines;
    }

    SecurityRecord Entry(const std::string& symbol, int dir = 0) {
        StoreReader reader(prompt_);
        SecurityRecord found;
        if (reader.Open(Dir(dir)) != Result::Ok) return found;
        while (reader.GetRemainingSecurities() > 0) {
            reader.NextSecurity();
            if (reader.GetSymbol() == symbol) found = reader.CurrentSecurity();
        }
        reader.Close();
        return found;
    }

    std::vector<PriceBar> Bars(const std::string& symbol, int dir = 0) {
        StoreReader reader(prompt_);
        std::vector<PriceBar> bars;
        if (reader.Open(Dir(dir)) == Result::Ok &&
            reader.OpenPriceFileBySymbol(symbol) == Result::Ok)
            while (reader.GetRemainingBars() > 0) {
                reader.ReadNextBar();
                bars.push_back(reader.CurrentBar());
            }
        reader.Close();
        return bars;
    }

    // Called as the run takes each symbol, before it looks the symbol up.
    std::function<void(const std::string&)> onSymbol_;
    TempDir home_;
    TempDir dirs_[3];
    RecordingPrompt prompt_;
    FixedClock clock_{kThursday};
    RecordingHttpClient http_;
    CountingPump pump_;
    QuietProgress progress_;
    int reloads_ = 0;
};

TEST_F(DownloadRunTest, UpdateRewritesTheLastBarAndAppendsNewerOnes) {
    AddSecurity("MSFT");
    EXPECT_THAT(Run("msft ", 20130101, 20131031), ElementsAre("MSFT,211"));
    // Spoil the stored last bar: the update must refresh it.
    {
        StoreWriter writer(prompt_, clock_);
        ASSERT_EQ(writer.Open(Dir()), Result::Ok);
        ASSERT_EQ(writer.OpenPriceFileBySymbol("MSFT"), Result::Ok);
        ASSERT_EQ(writer.OverwriteLastBar({1131031, 1, 1, 1, 1, 1, 0}), Result::Ok);
        writer.Close();
    }
    const std::size_t before = Bars("MSFT").size();
    EXPECT_THAT(Run("MSFT", 20130102, 20131107), ElementsAre("MSFT,5"));
    ASSERT_EQ(http_.CountOf("/table.csv"), 1);
    EXPECT_THAT(http_.urls[0], HasSubstr("&a=09&b=26&c=2013&"));  // five days before 31 October
    EXPECT_EQ(http_.CountOf("/d/quotes.csv"), 0);                 // history reaches the end date
    const auto bars = Bars("MSFT");
    ASSERT_EQ(bars.size(), before + 5);
    EXPECT_NEAR(bars[before - 1].close, 35.41, 1e-4);
    EXPECT_EQ(bars.back().date, 1131107);
    EXPECT_EQ(Entry("MSFT").firstDate, 1130102);
    EXPECT_EQ(Entry("MSFT").lastDate, 1131107);
    EXPECT_EQ(reloads_, 2);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(DownloadRunTest, OverwriteRebuildsFromTheRequestedStart) {
    AddSecurity("MSFT");
    AddSecurity("MCD", 'W');
    Run("MSFT", 20130601, 20131031);
    EXPECT_EQ(Entry("MSFT").firstDate, 1130603);
    // Start before the stored first date, and a weekly entry downloaded daily.
    EXPECT_THAT(Run("MSFT MCD", 20130102, 20131031), ElementsAre("MSFT,210", "MCD,210"));
    EXPECT_EQ(Entry("MSFT").firstDate, 1130102);
    EXPECT_EQ(Entry("MCD").periodicity, 'D');
    EXPECT_EQ(Bars("MCD").size(), 211u);
    // The overwrite option rebuilds even an entry that an update would do.
    EXPECT_THAT(Run("MSFT", 20130102, 20131031, Periodicity::Daily, "20131107", true),
                ElementsAre("MSFT,210"));
    EXPECT_EQ(Bars("MSFT").size(), 211u);
}

TEST_F(DownloadRunTest, AdjustedRowsRebuildTheWholeStoredHistory) {
    AddSecurity("SPY");
    Run("SPY", 20100101, 20101231);
    ASSERT_EQ(Entry("SPY").firstDate, 1100104);
    // SPY's adjusted close differs from its close (dividends): the update becomes a rebuild
    // from the stored first date, not from the later requested start.
    EXPECT_THAT(Run("SPY", 20110601, 20111230), ElementsAre("SPY,503"));
    EXPECT_EQ(http_.CountOf("/table.csv"), 2);
    EXPECT_THAT(http_.urls[1], HasSubstr("&a=00&b=04&c=2010&"));
    const auto bars = Bars("SPY");
    ASSERT_EQ(bars.size(), 504u);
    EXPECT_EQ(Entry("SPY").firstDate, 1100104);
    EXPECT_NEAR(bars.front().close, 107.26, 1e-4);  // the adjusted close of 4 January 2010
}

TEST_F(DownloadRunTest, LastDateAtTheEndFetchesOnlyTheDayQuote) {
    AddSecurity("MSFT");
    Run("MSFT", 20130101, 20131106, Periodicity::Daily, "20131106");
    EXPECT_THAT(Run("MSFT", 20130102, 20131106, Periodicity::Daily, "20131106"),
                ElementsAre("MSFT,1"));
    EXPECT_EQ(http_.CountOf("/table.csv"), 0);
    EXPECT_EQ(http_.CountOf("/d/quotes.csv"), 1);
}

TEST_F(DownloadRunTest, DayQuoteOnlyForDailyDataOnTradingDays) {
    struct Case {
        LocalDateTime now;
        Periodicity periodicity;
        int quoteRequests;
    };
    const Case cases[] = {
        {kThursday, Periodicity::Daily, 1},
        {{2013, 11, 9, 12, 0, 0, 6}, Periodicity::Daily, 0},  // a Saturday
        {kThursday, Periodicity::Weekly, 0},
    };
    for (const auto& c : cases) {
        AddSecurity("MSFT", c.periodicity == Periodicity::Daily ? 'D' : 'W');
        clock_.Set(c.now);
        // The history ends on the 7th, before the end date: the day quote would top it up.
        Run("MSFT", 20130101, 20131108, c.periodicity);
        EXPECT_EQ(http_.CountOf("/d/quotes.csv"), c.quoteRequests) << c.now.day;
        StoreWriter writer(prompt_, clock_);
        ASSERT_EQ(writer.Open(Dir()), Result::Ok);
        ASSERT_EQ(writer.DeleteSecurity("MSFT"), Result::Ok);
        writer.Close();
    }
}

TEST_F(DownloadRunTest, CurrencyPairFromTheForexService) {
    AddSecurity("FX$EURGBP");
    EXPECT_THAT(Run("FX$EURGBP", 20130101, 20130131), ElementsAre("FX$EURGBP,26"));
    EXPECT_EQ(http_.CountOf("/FOREXQUOTE.txt"), 1);
    EXPECT_EQ(http_.CountOf("/d/quotes.csv"), 0);
    for (const auto& bar : Bars("FX$EURGBP")) EXPECT_NE(DayOfWeek(ToLongDate(bar.date)), 6);
}

TEST_F(DownloadRunTest, InvalidSymbolLeavesTheStoreUntouched) {
    AddSecurity("NOSUCH");
    AddSecurity("lower");
    const auto master = ReadBytes(Dir() / "MASTER");
    const auto emaster = ReadBytes(Dir() / "EMASTER");
    EXPECT_THAT(Run("NOSUCH  LOWER", 20130101, 20131031),
                ElementsAre("NOSUCH,-1", ",0", "LOWER,0"));
    EXPECT_EQ(ReadBytes(Dir() / "MASTER"), master);
    EXPECT_EQ(ReadBytes(Dir() / "EMASTER"), emaster);
    EXPECT_EQ(ReadBytes(Dir() / "F1.DAT").size(), 28u);
}

TEST_F(DownloadRunTest, DirectoryInUseStopsTheRun) {
    AddSecurity("MSFT");
    AddSecurity("MCD");
    // Another writer holds the directory for the whole run.
    StoreWriter other(prompt_, clock_);
    ASSERT_EQ(other.Open(Dir()), Result::Ok);
    const auto report = Run("MSFT MCD", 20130101, 20131031);
    other.Close();
    EXPECT_EQ(lastRun_, Result::Failed);
    EXPECT_THAT(report, ElementsAre("MSFT,0"));
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text,
              "Directory " + Dir().string() + " is in use by other application.");
    EXPECT_EQ(prompt_.shown[0].icon, PromptIcon::Warning);
    EXPECT_EQ(reloads_, 1);
    EXPECT_EQ(http_.CountOf("/table.csv"), 1);
}

// A rebuild whose answer begins after the stored history: the service no
// longer has the old days, and the rebuild must not cost them.
TEST_F(DownloadRunTest, ARebuildKeepsTheStoredDaysItsAnswerLacks) {
    struct Case {
        const char* name;
        std::int32_t storedFrom, storedTo, rebuildFrom;
        const char* note;
    };
    const Case cases[] = {
        {"overlapping, rescaled at the seam", 19950103, 20000131, 19990104, ""},
        {"no day in common, kept as stored", 19950103, 19951229, 19990104,
         ",stored bars kept unscaled: no day in common"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string symbol = c.note[0] ? "AAPL" : "MSFT";
        AddSecurity(symbol);
        Run(symbol, c.storedFrom, c.storedTo, Periodicity::Daily, "20131107", true);
        const auto stored = Bars(symbol);
        ASSERT_GT(stored.size(), 200u);
        const auto report =
            Run(symbol, c.rebuildFrom, 20131031, Periodicity::Daily, "20131107", true);
        ASSERT_EQ(report.size(), 1u);
        EXPECT_THAT(report[0], testing::EndsWith(c.note));
        const auto rebuilt = Bars(symbol);
        // Every stored day before the answer is still there, in order.
        std::size_t kept = 0;
        while (kept < stored.size() && ToLongDate(stored[kept].date) < c.rebuildFrom) ++kept;
        ASSERT_GE(rebuilt.size(), kept);
        for (std::size_t k = 0; k < kept; ++k) EXPECT_EQ(rebuilt[k].date, stored[k].date);
        EXPECT_GT(ToLongDate(rebuilt[kept].date), ToLongDate(rebuilt[kept - 1].date));
        EXPECT_EQ(ToLongDate(Entry(symbol).firstDate), ToLongDate(stored.front().date));
        if (c.note[0] == '\0') {
            // The day-to-day move across the seam is the stored one.
            const float storedMove = stored[kept].close / stored[kept - 1].close;
            const float rebuiltMove = rebuilt[kept].close / rebuilt[kept - 1].close;
            EXPECT_NEAR(rebuiltMove, storedMove, 0.01f);
        } else {
            EXPECT_EQ(rebuilt.front().close, stored.front().close);
        }
    }
}

TEST_F(DownloadRunTest, EmptyAnswerNeverEmptiesAPriceFile) {
    AddSecurity("MSFT");
    Run("MSFT", 20130101, 20131031);
    const auto bars = Bars("MSFT");
    // A rebuild over a range the service has nothing for.
    EXPECT_THAT(Run("MSFT", 19500101, 19500131), ElementsAre("MSFT,0"));
    EXPECT_EQ(Bars("MSFT").size(), bars.size());
    EXPECT_EQ(Entry("MSFT").firstDate, 1130102);
}

TEST_F(DownloadRunTest, BatchDownloadsEachSelectedDirectory) {
    for (const char* symbol : {"MSFT", "MCD"}) AddSecurity(symbol, 'D', 0);
    AddSecurity("AAPL", 'D', 1);
    for (const char* symbol : {"FB", "TSLA", "GOOG"}) AddSecurity(symbol, 'D', 2);
    const auto untouched = ReadBytes(Dir(1) / "F1.DAT");
    BatchTable batch;
    batch.slots[0] = {true, "a", Dir(0).string(), 2, " MSFT MCD"};
    batch.slots[1] = {false, "b", Dir(1).string(), 1, " AAPL"};
    batch.slots[2] = {true, "c", Dir(2).string(), 3, " FB TSLA GOOG"};
    batch.filled = 3;
    const auto report = Run("", 20110101, 20131031, Periodicity::Daily, "20131107", false, &batch);
    EXPECT_THAT(report, ElementsAre("MSFT,713", "MCD,713", "FB,366", "TSLA,0", "GOOG,252"));
    EXPECT_EQ(ReadBytes(Dir(1) / "F1.DAT"), untouched);
    EXPECT_EQ(Bars("GOOG", 2).size(), 252u);
    EXPECT_EQ(progress_.range, 22);
    EXPECT_EQ(progress_.position, 20);
}

// The run finds each security where it found the directory's entries at its
// start; another program that moves them, or adds one, between two
// securities must not make it miss one or write into another's records.
TEST_F(DownloadRunTest, ADirectoryChangedBetweenSecuritiesIsFollowed) {
    CopyDirectory(TestDataDir() / "metastock/okomarov-sample", Dir());  // 255 low, 207 extended
    AddSecurity("AAPL");
    AddSecurity("MSFT");
    EXPECT_THAT(Run("AAPL MSFT", 20130101, 20131031), ElementsAre("AAPL,211", "MSFT,211"));
    CopyDirectory(Dir(), Dir(1));
    // The same run on a directory nobody else changes.
    const auto unchanged = Run("MSFT AAPL", 20130102, 20131107);
    const auto aapl = Bars("AAPL"), msft = Bars("MSFT");
    std::filesystem::remove_all(Dir());
    CopyDirectory(Dir(1), Dir());
    const auto moved = Bars("RCF");  // the first extended entry
    ASSERT_FALSE(moved.empty());

    onSymbol_ = [this](const std::string& symbol) {
        StoreWriter other(prompt_, clock_);
        ASSERT_EQ(other.Open(Dir()), Result::Ok);
        // Before AAPL: a low entry goes and RCF moves into its place, so every
        // extended entry after it stands one place earlier: MSFT where AAPL was.
        if (symbol == "AAPL") {
            ASSERT_EQ(other.DeleteSecurity("ASR"), Result::Ok);
        }
        // Before ^GSPC: it is added, one entry more than the run first saw.
        if (symbol == "^GSPC") {
            ASSERT_EQ(other.AddSecurity("^GSPC", "S&P 500", 'D'), Result::Ok);
        }
        other.Close();
    };
    const auto report = Run("MSFT AAPL ^GSPC", 20130102, 20131107);
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[0], unchanged[0]);
    EXPECT_EQ(report[1], unchanged[1]);
    EXPECT_NE(report[2], "^GSPC,0");
    EXPECT_EQ(Bars("AAPL").size(), aapl.size());
    EXPECT_EQ(Bars("MSFT").size(), msft.size());
    for (const char* symbol : {"AAPL", "MSFT"}) EXPECT_EQ(Entry(symbol).lastDate, 20131107);
    EXPECT_FALSE(Bars("^GSPC").empty());
    const auto rcf = Bars("RCF");
    ASSERT_EQ(rcf.size(), moved.size());
    EXPECT_EQ(rcf.back().date, moved.back().date);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(DownloadRunTest, ScheduledRunCanBeCancelledBetweenSecurities) {
    AddSecurity("MSFT");
    std::string symbols;
    for (int i = 10; i < 70; ++i) symbols += "SYM" + std::to_string(i) + " ";
    progress_.cancelAfter = 10;
    CDownloader downloader(http_, prompt_, clock_, pump_, AllAt("http://127.0.0.1:9"),
                           home_ / "report.txt");
    ASSERT_EQ(downloader.RunScheduledDownload(Dir(), symbols, 20130101, 20131031,
                                              Periodicity::Daily, progress_),
              Result::Ok);
    EXPECT_EQ(progress_.text, "Downloading securities ...");
    EXPECT_EQ(ReportLines().size(), 10u);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text, "Download is cancelled");
}

TEST_F(DownloadRunTest, ReportThatCannotBeCreatedStopsTheRunBeforeItStarts) {
    AddSecurity("MSFT");
    CDownloader downloader(http_, prompt_, clock_, pump_, AllAt("http://127.0.0.1:9"),
                           home_.Path());  // a folder stands where the file should go
    downloader.SetDirectory(Dir());
    EXPECT_EQ(downloader.RunDownload("MSFT", 20130101, 20131031, Periodicity::Daily, progress_),
              Result::Failed);
    EXPECT_TRUE(http_.urls.empty());
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_THAT(prompt_.shown[0].text, HasSubstr(home_.Path().string()));
}

}  // namespace
}  // namespace corvane::test
