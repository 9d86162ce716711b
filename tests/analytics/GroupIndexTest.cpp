#include <gmock/gmock.h>

#include <fstream>

#include "CurlHttpClient.h"
#include "FixedClock.h"
#include "GatewayProcess.h"
#include "GroupIndex.h"
#include "RecordingPrompt.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::FloatEq;
using ::testing::Pair;

class CancellingProgress : public Progress {
public:
    void SetRange(int) override {}
    void SetPosition(int) override {}
    void SetText(const std::string& value) override { texts.push_back(value); }
    bool IsCancelled() override { return cancel; }
    bool cancel = false;
    std::vector<std::string> texts;
};

class NoEvents : public EventPump {
public:
    bool PumpMessages() override { return false; }
};

struct Bar {
    std::int32_t date;  // CYYMMDD
    float close;
    float volume = 100;
};

class GroupIndexTest : public ::testing::Test {
protected:
    void Add(const std::string& symbol, const std::vector<Bar>& bars) {
        StoreWriter writer(prompt_, clock_);
        if (writer.Open(dir_.Path()) != Result::Ok) {
            ASSERT_EQ(writer.CreateDirectory(dir_.Path()), Result::Ok);
            ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
        }
        ASSERT_EQ(writer.AddSecurity(symbol, symbol, 'D'), Result::Ok);
        ASSERT_EQ(writer.OpenPriceFileForWrite(symbol, false), Result::Ok);
        for (const Bar& bar : bars)
            ASSERT_EQ(writer.AppendBar(
                          {bar.date, bar.close, bar.close, bar.close, bar.close, bar.volume, 0}),
                      Result::Ok);
        ASSERT_EQ(writer.ClosePriceFile(), Result::Ok);
        writer.Close();
    }

    IndexOutcome Calculate(const std::vector<std::string>& symbols, IndexType type,
                           const std::string& quoteUrl = "http://127.0.0.1:9") {
        std::vector<SelectionRow> rows;
        for (const auto& symbol : symbols) rows.push_back({symbol, 20050301, 20050310});
        CurlHttpClient http;
        FetchSession session{http, prompt_};
        session.retryPauseMs = 1;
        NoEvents events;
        return CalculateIndex({dir_.Path(), ReadIndexSelection(rows), type, quoteUrl}, session,
                              clock_, events, progress_);
    }

    std::vector<std::pair<std::int32_t, float>> Series(const std::string& symbol) {
        std::vector<std::pair<std::int32_t, float>> bars;
        StoreReader reader(prompt_);
        if (reader.Open(dir_.Path()) == Result::Ok &&
            reader.OpenPriceFileBySymbol(symbol) == Result::Ok)
            while (reader.GetRemainingBars() > 0) {
                reader.ReadNextBar();
                EXPECT_EQ(reader.GetBarVolume(), 0.0f);
                bars.emplace_back(reader.GetBarDate(), reader.GetBarClose());
            }
        reader.Close();
        return bars;
    }

    TempDir dir_;
    RecordingPrompt prompt_;
    FixedClock clock_;
    CancellingProgress progress_;
};

TEST_F(GroupIndexTest, EqualWeightsCountEverySelectedRow) {
    Add("A", {{1050301, 1}, {1050302, 10}, {1050303, 10}});
    Add("B", {{1050302, 20}, {1050303, 20}});
    ASSERT_EQ(Calculate({"A", "B"}, IndexType::Equal), IndexOutcome::Written);
    EXPECT_THAT(Series("#EQ_INDEX"), ElementsAre(Pair(1050302, 15), Pair(1050303, 15)));
    // The earlier index is a selected row: it takes no part but counts in N.
    ASSERT_EQ(Calculate({"A", "B", "#EQ_INDEX"}, IndexType::Equal), IndexOutcome::Written);
    EXPECT_THAT(Series("#EQ_INDEX"), ElementsAre(Pair(1050302, 10), Pair(1050303, 10)));
}

TEST_F(GroupIndexTest, NextBarStandsInOffCalendarBarsCountNothing) {
    Add("A", {{1050302, 10}, {1050304, 10}, {1050307, 10}});
    Add("B", {{1050302, 20}, {1050307, 26}});                                // no bar on the 4th
    Add("C", {{1050302, 30}, {1050303, 99}, {1050304, 30}, {1050307, 30}});  // the 3rd is no day
    ASSERT_EQ(Calculate({"A", "B", "C"}, IndexType::Equal), IndexOutcome::Written);
    const auto index = Series("#EQ_INDEX");
    ASSERT_EQ(index.size(), 3u);
    EXPECT_FLOAT_EQ(index[0].second, 20.0f);
    EXPECT_FLOAT_EQ(index[1].second, 10 / 3.0f + 26 / 3.0f + 30 / 3.0f);
    EXPECT_EQ(index[1].first, 1050304);
    EXPECT_FLOAT_EQ(index[2].second, 10 / 3.0f + 26 / 3.0f + 30 / 3.0f);
}

TEST_F(GroupIndexTest, CapitalizationWeightsWithAZeroAnswer) {
    TempDir data;
    std::ofstream(data / "shares.csv") << "A,2000000\n";
    GatewayProcess gateway(data.Path());
    Add("A", {{1050302, 10}});
    Add("B", {{1050302, 20}});
    ASSERT_EQ(Calculate({"A", "B"}, IndexType::Capitalization, gateway.BaseUrl()),
              IndexOutcome::Written);
    // A: 2000 / 2000 of its close; B answered "0": 1 / N.
    EXPECT_THAT(Series("#CAP_INDEX"), ElementsAre(Pair(1050302, FloatEq(10 + 20 / 2.0f))));
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(GroupIndexTest, UnreachableCapitalizationIsShownOnceAndTheIndexGoesOn) {
    Add("A", {{1050302, 10}});
    Add("B", {{1050302, 20}});
    ASSERT_EQ(Calculate({"A", "B"}, IndexType::Capitalization, "http://caps.nosuch.invalid"),
              IndexOutcome::Written);
    // The same failure for every security is shown once, and the index goes on.
    EXPECT_EQ(prompt_.shown.size(), 1u);
    EXPECT_THAT(Series("#CAP_INDEX"), ElementsAre(Pair(1050302, FloatEq(15))));
}

TEST_F(GroupIndexTest, VolumeWeightsAndDaysWithoutVolume) {
    // A day without any volume keeps the day before's value; before the first
    // day with volume there is none to keep, and the day is left out.
    Add("A", {{1050302, 10, 0}, {1050303, 10, 300}, {1050304, 10, 0}});
    Add("B", {{1050302, 20, 0}, {1050303, 20, 100}, {1050304, 30, 0}});
    ASSERT_EQ(Calculate({"A", "B"}, IndexType::Volume), IndexOutcome::Written);
    EXPECT_THAT(Series("#VOL_INDEX"),
                ElementsAre(Pair(1050303, FloatEq(12.5f)), Pair(1050304, FloatEq(12.5f))));
}

TEST_F(GroupIndexTest, ASelectionOfCalculatedSeriesOnlyWritesNothingAndSaysWhy) {
    Add("#ADV", {{1050302, 10}});
    EXPECT_EQ(Calculate({"#ADV"}, IndexType::Equal), IndexOutcome::NothingToDo);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("starts with \"#\""), std::string::npos);
    StoreReader reader(prompt_);
    ASSERT_EQ(reader.Open(dir_.Path()), Result::Ok);
    EXPECT_EQ(reader.GetRemainingSecurities(), 1);  // no #EQ_INDEX
    reader.Close();
}

TEST_F(GroupIndexTest, CancelWritesNothingInvalidPeriodCreatesNothing) {
    Add("A", {{1050302, 10}});
    ASSERT_EQ(Calculate({"A"}, IndexType::Equal), IndexOutcome::Written);
    progress_.cancel = true;
    EXPECT_EQ(Calculate({"A", "B"}, IndexType::Equal), IndexOutcome::Cancelled);
    EXPECT_EQ(Series("#EQ_INDEX").size(), 1u);
    EXPECT_EQ(prompt_.shown.back().text, "Process is cancelled by the user.");

    CurlHttpClient http;
    FetchSession session{http, prompt_};
    NoEvents events;
    IndexSelection selection = ReadIndexSelection({{"A", 20050310, 20050310}});
    EXPECT_EQ(CalculateIndex({dir_.Path(), selection, IndexType::Volume, ""}, session, clock_,
                             events, progress_),
              IndexOutcome::InvalidPeriod);
    StoreReader reader(prompt_);
    ASSERT_EQ(reader.Open(dir_.Path()), Result::Ok);
    EXPECT_EQ(reader.GetRemainingSecurities(), 2);  // A and #EQ_INDEX: no #VOL_INDEX
    reader.Close();
}

TEST(IndexSelectionTest, CommonDatesAndInfoTexts) {
    const IndexSelection s =
        ReadIndexSelection({{"A", 20040105, 20050310}, {"B", 20040302, 20050311}});
    EXPECT_EQ(s.symbolList, " A B");
    EXPECT_EQ(s.selectedCount, 2);
    EXPECT_EQ(s.commonFirstDate, 20040302);
    EXPECT_EQ(s.commonLastDate, 20050310);
    EXPECT_EQ(s.countText, "Number of selected symbols: 2");
    EXPECT_EQ(s.firstDateText, "First available date: 03/02/2004");
    EXPECT_EQ(s.lastDateText, "Last available date: 03/11/2005");
}

}  // namespace
}  // namespace corvane::test
