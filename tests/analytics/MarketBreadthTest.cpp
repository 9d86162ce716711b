#include <gmock/gmock.h>

#include "CalendarDate.h"
#include "Coding.h"
#include "DataDirBuilder.h"
#include "FixedClock.h"
#include "MarketBreadth.h"
#include "RecordingPrompt.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

class QuietProgress : public Progress {
public:
    void SetRange(int) override {}
    void SetPosition(int) override {}
    void SetText(const std::string&) override {}
    bool IsCancelled() override { return false; }
};

class NoEvents : public EventPump {
public:
    bool PumpMessages() override { return false; }
};

struct Bar {
    std::int32_t date;  // CYYMMDD
    float close;
    float volume = 100;
    float high = 0;  // 0: the close
};

class MarketBreadthTest : public ::testing::Test {
protected:
    void Add(const std::string& symbol, const std::vector<Bar>& bars) {
        StoreWriter writer(prompt_, clock_);
        if (writer.Open(dir_.Path()) != Result::Ok) {
            ASSERT_EQ(writer.CreateDirectory(dir_.Path()), Result::Ok);
            ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
        }
        ASSERT_EQ(writer.AddSecurity(symbol, symbol, 'D'), Result::Ok);
        ASSERT_EQ(writer.OpenPriceFileForWrite(symbol, false), Result::Ok);
        for (const Bar& bar : bars) {
            const float high = bar.high == 0 ? bar.close : bar.high;
            ASSERT_EQ(
                writer.AppendBar({bar.date, bar.close, high, bar.close, bar.close, bar.volume, 0}),
                Result::Ok);
        }
        ASSERT_EQ(writer.ClosePriceFile(), Result::Ok);
        writer.Close();
    }

    BreadthOutcome Calculate(const std::string& selected, std::int32_t first = 20050301,
                             std::int32_t last = 20050310, const std::string& missing = "") {
        QuietProgress progress;
        NoEvents events;
        return CalculateBreadth({dir_.Path(), selected, missing, first, last}, prompt_, clock_,
                                events, progress);
    }

    // Date and close of every bar of a series.
    std::vector<std::pair<std::int32_t, float>> Series(const std::string& symbol) {
        std::vector<std::pair<std::int32_t, float>> bars;
        StoreReader reader(prompt_);
        if (reader.Open(dir_.Path()) == Result::Ok &&
            reader.OpenPriceFileBySymbol(symbol) == Result::Ok)
            while (reader.GetRemainingBars() > 0) {
                reader.ReadNextBar();
                bars.emplace_back(reader.GetBarDate(), reader.GetBarClose());
            }
        reader.Close();
        return bars;
    }

    TempDir dir_;
    RecordingPrompt prompt_;
    FixedClock clock_;
};

TEST_F(MarketBreadthTest, FirstDateBarIsTheReferenceElseZero) {
    Add("A", {{1050301, 10}, {1050302, 11}, {1050303, 9}});
    Add("B", {{1050302, 5}, {1050303, 5}});
    ASSERT_EQ(Calculate(" A B"), BreadthOutcome::Written);
    // 2 March: A rose from 10, B from 0: two advances. 3 March: only A moved (down), B
    // stayed: a single-mover day, written to no series.
    EXPECT_THAT(Series("#ADV"), ElementsAre(Pair(1050302, 2)));
    EXPECT_THAT(Series("#DECL"), ElementsAre(Pair(1050302, 0)));
    EXPECT_THAT(Series("#UNCH"), ElementsAre(Pair(1050302, 0)));
    EXPECT_THAT(Series("#HIGHS"), ElementsAre(Pair(1050302, 0)));
}

TEST_F(MarketBreadthTest, MissingDaysCountUnchangedOffCalendarBarsNothing) {
    Add("A", {{1050302, 1}, {1050304, 2}, {1050307, 3}});
    Add("B", {{1050302, 1}, {1050307, 3}});                              // no bar on the 4th
    Add("C", {{1050302, 1}, {1050303, 5}, {1050304, 2}, {1050307, 3}});  // the 3rd is no day
    ASSERT_EQ(Calculate("A B C"), BreadthOutcome::Written);
    EXPECT_THAT(Series("#ADV"), ElementsAre(Pair(1050302, 3), Pair(1050304, 2), Pair(1050307, 3)));
    EXPECT_THAT(Series("#UNCH"),
                ElementsAre(Pair(1050302, 0), Pair(1050304, -1), Pair(1050307, 0)));
}

TEST_F(MarketBreadthTest, CountsOfOneAreWrittenAsMinusOneSingleMoversAreSkipped) {
    // 2 March: 2 up, 1 down, 3 unchanged. 3 March: only U1 moves.
    for (const char* up : {"U1", "U2"}) Add(up, {{1050301, 1}, {1050302, 2}, {1050303, 3}});
    Add("D1", {{1050301, 2}, {1050302, 1}, {1050303, 1}});
    for (const char* flat : {"F1", "F2", "F3"})
        Add(flat, {{1050301, 1}, {1050302, 1}, {1050303, 1}});
    Add("#OLD", {{1050302, 50}});
    ASSERT_EQ(Calculate("U1 U2 D1 F1 F2 F3 #OLD"), BreadthOutcome::Written);
    EXPECT_THAT(Series("#ADV"), ElementsAre(Pair(1050302, 2), Pair(1050303, 2)));
    EXPECT_THAT(Series("#DECL"), ElementsAre(Pair(1050302, -1), Pair(1050303, 0)));
    EXPECT_THAT(Series("#UNCH"), ElementsAre(Pair(1050302, 3), Pair(1050303, 4)));
    // A second run rewrites the series instead of adding to them.
    ASSERT_EQ(Calculate("U1 U2 D1 F1 F2 F3"), BreadthOutcome::Written);
    EXPECT_EQ(Series("#ADV").size(), 2u);
}

TEST_F(MarketBreadthTest, NewHighsAndLowsAfter250Slots) {
    std::vector<Bar> steady, peak;
    std::int32_t date = 20040102;
    for (int i = 0; i < 260; ++i) {
        while (DayOfWeek(date) == 0 || DayOfWeek(date) == 6) date = AddDays(date, 1);
        const std::int32_t stored = TruncateToInt(ToShortDate(date));
        steady.push_back({stored, 10.0f + static_cast<float>(i % 2)});
        peak.push_back({stored, 10.0f + static_cast<float>(i % 2), 100, i == 255 ? 50.0f : 0.0f});
        date = AddDays(date, 1);
    }
    Add("PEAK", peak);
    Add("STEADY", steady);
    ASSERT_EQ(Calculate("PEAK STEADY", 20040101, 20050131), BreadthOutcome::Written);
    const auto highs = Series("#HIGHS");
    ASSERT_EQ(highs.size(), 260u);
    for (int i = 0; i < 260; ++i) EXPECT_EQ(highs[i].second, i == 255 ? 1.0f : 0.0f) << i;
}

TEST_F(MarketBreadthTest, InvalidPeriodAndMissingSecurities) {
    Add("A", {{1050302, 1}});
    EXPECT_EQ(Calculate("A", 20050310, 20050310), BreadthOutcome::InvalidPeriod);
    EXPECT_THAT(prompt_.Texts(), ElementsAre("Invalid calculation period range."));
    EXPECT_TRUE(Series("#ADV").empty());
    EXPECT_EQ(RemoveMissing(" A AB B", " B A"), "AB");
}

TEST_F(MarketBreadthTest, NothingToCalculateWritesNothingAndSaysWhy) {
    // Every security missing data, or only calculated series selected: no
    // series is created and the user learns why.
    Add("A", {{1050302, 1}});
    Add("#OLD", {{1050302, 1}});
    const struct {
        const char* selected;
        const char* missing;
        const char* why;
    } cases[] = {{" A", " a", "misses data"}, {" #OLD", "", "starts with \"#\""}};
    for (const auto& c : cases) {
        prompt_.shown.clear();
        EXPECT_EQ(Calculate(c.selected, 20050301, 20050310, c.missing),
                  BreadthOutcome::NothingToDo);
        ASSERT_EQ(prompt_.shown.size(), 1u) << c.selected;
        EXPECT_NE(prompt_.shown[0].text.find(c.why), std::string::npos) << prompt_.shown[0].text;
        EXPECT_EQ(ReadSymbols(dir_.Path()), (std::vector<std::string>{"A", "#OLD"}));
    }
}

TEST_F(MarketBreadthTest, DisorderlyBarsStayInsideTheCalendar) {
    // Unsorted, repeated, and more bars than the period has days.
    std::vector<Bar> bars = {{1050303, 2}, {1050302, 1}, {1050303, 3}, {1050303, 3}};
    for (int d = 4; d <= 31; ++d) bars.push_back({1050300 + d, static_cast<float>(d)});
    Add("MESS", bars);
    Add("A", {{1050302, 1}, {1050303, 2}});
    ASSERT_EQ(Calculate("MESS A", 20050301, 20050305), BreadthOutcome::Written);
    const auto adv = Series("#ADV");
    ASSERT_FALSE(adv.empty());
    for (const auto& [date, value] : adv) {
        EXPECT_GT(date, 1050301);
        EXPECT_LE(date, 1050305);
    }
}

}  // namespace
}  // namespace corvane::test
