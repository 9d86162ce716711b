#include <gmock/gmock.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "CalendarDate.h"
#include "Coding.h"
#include "DataDirBuilder.h"
#include "DayCalendar.h"
#include "FixedClock.h"
#include "LookbackWindow.h"
#include "MarketBreadth.h"
#include "RecordingPrompt.h"
#include "SelectionAnalysis.h"
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

// The window against a scan of its slots, over values with repeats, both
// zeros and long runs up and down.
TEST(LookbackWindowTest, ExtremesAreThoseOfAScanOfTheSpan) {
    std::mt19937 random(7);
    for (const int span : {1, 5, LOOKBACK_DAYS}) {
        LookbackWindow window(span);
        std::vector<float> highs, lows;
        for (int slot = 0; slot < 4000; ++slot) {
            if (slot >= span) {
                float highest = highs[slot - span], lowest = lows[slot - span];
                for (int s = slot - span; s < slot; ++s) {
                    highest = std::max(highest, highs[s]);
                    lowest = std::min(lowest, lows[s]);
                }
                ASSERT_EQ(window.Highest(slot), highest) << span << " " << slot;
                ASSERT_EQ(window.Lowest(slot), lowest) << span << " " << slot;
            }
            const int phase = slot / 300 % 4;  // rising, falling, flat, random
            const float value = phase == 0   ? static_cast<float>(slot)
                                : phase == 1 ? static_cast<float>(-slot)
                                : phase == 2 ? (slot % 2 == 0 ? 0.0f : -0.0f)
                                             : static_cast<float>(random() % 7);
            highs.push_back(value);
            lows.push_back(phase == 3 ? static_cast<float>(random() % 7) : value);
            window.Add(slot, highs.back(), lows.back());
        }
    }
}

// The counts as first written: the highest high and lowest low of the 250
// slots before each bar by a scan of those slots.
class ReferenceBreadth {
public:
    explicit ReferenceBreadth(int days)
        : calendar_(days),
          advances_(days),
          declines_(days),
          unchanged_(days),
          newHighs_(days, -1),
          newLows_(days, -1),
          upVolume_(days),
          downVolume_(days),
          unchangedVolume_(days),
          slotHigh_(days),
          slotLow_(days) {}

    void Read(const std::vector<PriceBar>& bars, std::int32_t first, std::int32_t last) {
        float referenceClose = 0;
        int w = 0;
        std::int32_t previousDay = 0;
        reached_ = 0;
        for (const PriceBar& bar : bars) {
            const float volume = std::max(0.0f, bar.volume);
            const std::int32_t day = StoreDateToCalendar(bar.date);
            if (day < first || day > last) continue;
            if (day == first) {
                referenceClose = bar.close;
                continue;
            }
            if (day <= previousDay) continue;
            DayCalendar::Alignment alignment;
            while (true) {
                if (w >= calendar_.DayCount()) {
                    reached_ = w;
                    return;
                }
                slotHigh_[w] = bar.high;
                slotLow_[w] = bar.low;
                alignment = calendar_.Align(w, bar.date);
                if (alignment != DayCalendar::Alignment::MissingDay) break;
                unchanged_[w] += 1;
                ++w;
            }
            if (alignment != DayCalendar::Alignment::Placed) continue;
            previousDay = day;
            if (bar.close > referenceClose) {
                advances_[w] += 1;
                upVolume_[w] += volume;
            } else if (bar.close < referenceClose) {
                declines_[w] += 1;
                downVolume_[w] += volume;
            } else {
                unchanged_[w] += 1;
                unchangedVolume_[w] += volume;
            }
            float highest = 0, lowest = NO_LOW;
            if (w >= LOOKBACK_DAYS) {
                for (int s = w - LOOKBACK_DAYS; s < w; ++s) {
                    if (slotHigh_[s] > highest) highest = slotHigh_[s];
                    if (slotLow_[s] < lowest) lowest = slotLow_[s];
                }
            }
            auto count = [w](std::vector<int>& counts, bool isNew) {
                if (counts[w] == -1) counts[w] = 0;
                if (isNew) ++counts[w];
            };
            if (highest > 0) count(newHighs_, bar.high > highest);
            if (lowest < NO_LOW) count(newLows_, bar.low < lowest);
            ++w;
            referenceClose = bar.close;
        }
        reached_ = w;
    }

    // Date, value and volume of each bar a series gets, as the run writes them.
    std::vector<std::tuple<std::int32_t, float, float>> Series(int series) const {
        std::vector<std::tuple<std::int32_t, float, float>> bars;
        for (int v = 0; v < reached_; ++v) {
            const std::pair moved{advances_[v], declines_[v]};
            if (moved == std::pair{0, 1} || moved == std::pair{1, 0}) continue;
            auto value = [](int n) { return n == 1 ? -1.0f : static_cast<float>(n); };
            auto extreme = [](int n) { return n == -1 ? 0.0f : static_cast<float>(n); };
            const std::tuple<float, float> cases[] = {{value(advances_[v]), upVolume_[v]},
                                                      {value(declines_[v]), downVolume_[v]},
                                                      {value(unchanged_[v]), unchangedVolume_[v]},
                                                      {extreme(newHighs_[v]), 0.0f},
                                                      {extreme(newLows_[v]), 0.0f}};
            bars.emplace_back(calendar_.DateAt(v), std::get<0>(cases[series]),
                              std::get<1>(cases[series]));
        }
        return bars;
    }

private:
    DayCalendar calendar_;
    std::vector<int> advances_, declines_, unchanged_, newHighs_, newLows_;
    std::vector<float> upVolume_, downVolume_, unchangedVolume_, slotHigh_, slotLow_;
    int reached_ = 0;
};

class BreadthAgainstReferenceTest : public MarketBreadthTest {
protected:
    // Runs the breadth over every security of the directory and compares
    // each series, bar by bar, with the reference's; returns the number of
    // new highs and lows counted, so that a test can see the window at work.
    int CompareWithReference(std::int32_t first, std::int32_t last) {
        std::string list;
        ReferenceBreadth reference(DaysBetween(first, last));
        for (const std::string& symbol : ReadSymbols(dir_.Path())) {
            list += " " + symbol;
            // A security whose price file does not open takes no part.
            StoreReader reader(prompt_);
            if (reader.Open(dir_.Path()) == Result::Ok &&
                reader.OpenPriceFileBySymbol(symbol) == Result::Ok)
                reference.Read(ReadBars(dir_.Path(), symbol), first, last);
        }
        EXPECT_EQ(Calculate(list, first, last), BreadthOutcome::Written);
        int extremes = 0;
        const char* const series[] = {"#ADV", "#DECL", "#UNCH", "#HIGHS", "#LOWS"};
        for (int k = 0; k < 5; ++k) {
            std::vector<std::tuple<std::int32_t, float, float>> written;
            for (const PriceBar& bar : ReadBars(dir_.Path(), series[k]))
                written.emplace_back(bar.date, bar.close, bar.volume);
            EXPECT_EQ(written, reference.Series(k)) << series[k];
            if (k >= 3)
                for (const auto& bar : written) extremes += static_cast<int>(std::get<1>(bar));
        }
        return extremes;
    }
};

TEST_F(BreadthAgainstReferenceTest, RealHistoriesGiveTheSameSeries) {
    CopyDirectory(TestDataDir() / "metastock/mszalik-asx-mining-invalid", dir_.Path());
    EXPECT_GT(CompareWithReference(20050103, 20120315), 50);
}

// Random walks with gaps, bars off the calendar, repeated and unsorted bars,
// negative prices and volumes, over three years.
TEST_F(BreadthAgainstReferenceTest, RandomHistoriesGiveTheSameSeries) {
    std::mt19937 random(20050228);
    StoreWriter writer(prompt_, clock_);
    ASSERT_EQ(writer.CreateDirectory(dir_.Path()), Result::Ok);
    ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
    for (int s = 0; s < 24; ++s) {
        const std::string symbol = "R" + std::to_string(s);
        ASSERT_EQ(writer.AddSecurity(symbol, symbol, 'D'), Result::Ok);
        std::vector<PriceBar> bars;
        float price = 20;
        for (std::int32_t date = AddDays(20031215, static_cast<int>(random() % 60));
             date < 20070115; date = AddDays(date, 1)) {
            const bool weekend = DayOfWeek(date) == 0 || DayOfWeek(date) == 6;
            if ((weekend && random() % 50 != 0) || random() % 10 == 0) continue;
            price += static_cast<float>(static_cast<int>(random() % 21) - 10) / 8.0f;
            const float high = price + static_cast<float>(random() % 5);
            const float low = price - static_cast<float>(random() % 5);
            const float volume = static_cast<float>(static_cast<int>(random() % 1000) - 50);
            PriceBar bar{TruncateToInt(ToShortDate(date)), price, high, low, price, volume, 0};
            bars.push_back(bar);
            if (random() % 200 == 0) bars.push_back(bar);  // repeated
            if (random() % 300 == 0 && bars.size() > 3)
                std::swap(bars[bars.size() - 1], bars[bars.size() - 3]);
        }
        ASSERT_EQ(writer.OpenPriceFileForWrite(symbol, true), Result::Ok);
        ASSERT_EQ(writer.AppendBars(bars), Result::Ok);
        ASSERT_EQ(writer.ClosePriceFile(), Result::Ok);
    }
    writer.Close();
    EXPECT_GT(CompareWithReference(20040102, 20061229), 100);
}

}  // namespace
}  // namespace corvane::test
