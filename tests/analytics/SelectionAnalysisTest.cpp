#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "DayCalendar.h"
#include "SelectionAnalysis.h"

namespace corvane {
namespace {

TEST(DisplayDateTest, ParsesWhatTheListShows) {
    EXPECT_EQ(ParseDisplayDate("03/15/2005"), 20050315);
    EXPECT_EQ(ParseDisplayDate("12/31/1999"), 19991231);
    for (const char* bad : {"", "2005-03-15", "13/01/2005", "02/30/2005", "ab/cd/efgh"})
        EXPECT_FALSE(ParseDisplayDate(bad).has_value()) << bad;
}

TEST(StoreDateTest, EveryStoredForm) {
    EXPECT_EQ(StoreDateToCalendar(20050315), 20050315);
    EXPECT_EQ(StoreDateToCalendar(1050315), 20050315);
    EXPECT_EQ(StoreDateToCalendar(991231), 19991231);
    EXPECT_EQ(StoreDateToCalendar(100101), 19100101);
    // The inline forms give what the rule by the text's length gives, at
    // and around every length and across the usual dates.
    std::vector<std::int32_t> dates = {0,
                                       -1,
                                       -99999,
                                       -100000,
                                       -999999,
                                       -1000000,
                                       -9999999,
                                       -10000000,
                                       std::numeric_limits<std::int32_t>::min(),
                                       std::numeric_limits<std::int32_t>::max()};
    for (std::int64_t wide = 10; wide <= 1'000'000'000; wide *= 10) {
        const auto power = static_cast<std::int32_t>(wide);
        for (const std::int32_t near : {power - 1, power, power + 1, 2 * power - 1, 2 * power})
            dates.push_back(near);
    }
    for (std::int32_t date = 0; date < 21'000'000; date += 997) dates.push_back(date);
    for (const std::int32_t date : dates)
        EXPECT_EQ(StoreDateToCalendar(date), AnyStoreDateToCalendar(date)) << date;
}

TEST(AdjustedDatesTest, WeekendsMoveToTheTradingWeek) {
    EXPECT_EQ(AdjustedLastDate(20050320), 20050318);   // Sunday -> Friday
    EXPECT_EQ(AdjustedLastDate(20050319), 20050318);   // Saturday -> Friday
    EXPECT_EQ(AdjustedFirstDate(20050319), 20050321);  // Saturday -> Monday
    EXPECT_EQ(AdjustedFirstDate(20050320), 20050321);  // Sunday -> Monday
    EXPECT_EQ(AdjustedFirstDate(20050316), 20050316);
}

TEST(AvailabilityTest, CountsListsAndBestDates) {
    const std::vector<SelectionRow> rows = {
        {"IBM", 20030101, 20050318},   // complete: the period ends on a Sunday
        {"MSFT", 20030321, 20050310},  // misses the last date
        {"AAPL", 20030325, 20050318},  // misses the first date
        {"GE", 20030324, 20050318},    // starts on the adjusted first date: complete
    };
    const Availability a = AnalyseAvailability(rows, 20030322, 20050320);  // Saturday .. Sunday
    EXPECT_EQ(a.counts.totalSelected, 4);
    EXPECT_EQ(a.counts.missingFirst, 1);
    EXPECT_EQ(a.counts.missingLast, 1);
    EXPECT_EQ(a.counts.totalMissing, 2);
    EXPECT_EQ(a.counts.percentage, 50);
    EXPECT_EQ(a.selectedList, " IBM MSFT AAPL GE");
    EXPECT_EQ(a.missingList, " MSFT AAPL");
    EXPECT_EQ(a.bestFirstDate, 20030325);
    EXPECT_EQ(a.bestLastDate, 20050310);
    EXPECT_EQ(AnalyseAvailability({}, 20030322, 20050320).counts.percentage, 0);
}

TEST(AvailabilityTest, CommentsAndButtons) {
    AvailabilityCounts bothMissing{2, 1, 1, 1, 50};
    AvailabilityCounts oneMissing{2, 0, 1, 1, 50};
    AvailabilityCounts none{2, 0, 0, 0, 0};
    struct Case {
        AnalysisTrigger trigger;
        AvailabilityCounts counts;
        std::int32_t first;
        const char* comments;
        bool update, calculate, focusUpdate;
    };
    const Case cases[] = {
        {AnalysisTrigger::Opening, oneMissing, 20030101,
         "Missing data for the first or the last date. Update is recommended.", true, true, true},
        {AnalysisTrigger::Opening, bothMissing, 20030101,
         "Missing data for the first or the last date. Update is recommended.", true, false, true},
        {AnalysisTrigger::Opening, none, 20030101,
         "There are no missing data. Ready to calculate market breadth.", false, true, false},
        {AnalysisTrigger::Update, oneMissing, 20030101,
         "Securities with missing days will be ignored.", false, true, false},
        {AnalysisTrigger::Update, none, 20030101,
         "There are no missing days data for any security.", false, true, false},
        {AnalysisTrigger::LastDateChange, oneMissing, 20030101,
         "Missing data for the first or the last date. Securities with missing data will be "
         "ignored.",
         true, true, true},
        {AnalysisTrigger::FirstDateChange, none, 20050320, "Invalid calculation period range.",
         true, false, true},
        {AnalysisTrigger::LastDateChange, none, 20050319,
         "There are no missing days data for any security.", false, true, false},
        // An empty period is refused whichever edit reached it, missing data or not.
        {AnalysisTrigger::LastDateChange, none, 20050320, "Invalid calculation period range.", true,
         false, true},
        {AnalysisTrigger::FirstDateChange, oneMissing, 20050321,
         "Invalid calculation period range.", true, false, true},
    };
    for (const auto& c : cases) {
        const BreadthDialogState state = DialogStateAfter(c.trigger, c.counts, c.first, 20050320);
        EXPECT_EQ(state.comments, c.comments);
        EXPECT_EQ(state.updateEnabled, c.update) << c.comments;
        EXPECT_EQ(state.calculateEnabled, c.calculate) << c.comments;
        EXPECT_EQ(state.focusOnUpdate, c.focusUpdate) << c.comments;
    }
}

TEST(FirstDateHistogramTest, SliderCutsAtTheChosenShare) {
    const std::vector<SelectionRow> rows = {
        {"OLD", 20000101, 20050310},  // before the period: counts nowhere
        {"A", 20050301, 20050310},    // 9 days before the last date
        {"B", 20050308, 20050310},    // 2 days before
        {"C", 20050308, 20050310},
    };
    const FirstDateHistogram histogram(rows, 20050101, 20050310);
    EXPECT_EQ(histogram.DayCount(), 68);
    EXPECT_EQ(histogram.Cut(0, 4), 2);   // the latest first date inside the period
    EXPECT_EQ(histogram.Cut(50, 4), 9);  // 2 of 4 is not above 50 %, 3 of 4 is
    EXPECT_FALSE(histogram.Cut(75, 4).has_value());
}

TEST(DayCalendarTest, AlignmentOutcomes) {
    DayCalendar calendar(3);
    using A = DayCalendar::Alignment;
    EXPECT_EQ(calendar.Align(0, 1050315), A::Placed);
    EXPECT_EQ(calendar.Align(0, 20050315), A::Placed);  // the same day in the long form
    EXPECT_EQ(calendar.Align(1, 1050317), A::Placed);
    EXPECT_EQ(calendar.Align(1, 1050318), A::MissingDay);
    EXPECT_EQ(calendar.Align(1, 1050316), A::OffCalendar);
    EXPECT_EQ(calendar.Align(3, 1050320), A::OutOfRange);
    EXPECT_EQ(calendar.Align(-1, 1050320), A::OutOfRange);
    EXPECT_EQ(calendar.DateAt(1), 1050317);
    EXPECT_EQ(calendar.DateAt(2), 0);
}

}  // namespace
}  // namespace corvane
