#include <gtest/gtest.h>

#include <set>

#include "FileFaults.h"
#include "FiredRecord.h"
#include "ScheduleRule.h"
#include "TempDir.h"

namespace corvane {
namespace {

// 4 to 10 November 2013 run from Monday to Sunday.
LocalDateTime At(int day, int hour, int minute, int second = 0, int month = 11, int year = 2013) {
    return {year, month, day, hour, minute, second, 0};
}

ScheduleTask Task(int days, int hour, int minute, const char* title = "Evening") {
    return ScheduleTask{1, days, hour, minute, "/data/ms", title};
}

TEST(SchedulerRuleTest, EveryDayCodeFiresOnItsDaysOnlyInItsMinute) {
    // Day numbers of the week of 4 November 2013, Monday 1 to Sunday 7.
    const std::pair<int, std::set<int>> cases[] = {{0, {1, 2, 3, 4, 5, 6, 7}},
                                                   {1, {1}},
                                                   {2, {2}},
                                                   {3, {3}},
                                                   {4, {4}},
                                                   {5, {5}},
                                                   {6, {6}},
                                                   {7, {7}},
                                                   {8, {1, 2, 3, 4, 5}},
                                                   {9, {1, 2, 3, 4, 5, 6}},
                                                   {10, {6, 7}},
                                                   {11, {}},
                                                   {-1, {}}};
    for (const auto& [days, firing] : cases) {
        for (int isoDay = 1; isoDay <= 7; ++isoDay) {
            const int day = 3 + isoDay;
            const ScheduleTask task = Task(days, 18, 0);
            EXPECT_EQ(TaskDueAt(task, At(day, 18, 0)), firing.count(isoDay) == 1)
                << "days " << days << " on day " << isoDay;
            EXPECT_EQ(TaskDueAt(task, At(day, 18, 0, 59)), firing.count(isoDay) == 1);
            EXPECT_FALSE(TaskDueAt(task, At(day, 17, 59, 59)));
            EXPECT_FALSE(TaskDueAt(task, At(day, 18, 1)));
            EXPECT_FALSE(TaskDueAt(task, At(day, 6, 0)));
        }
    }
    ScheduleTask off = Task(0, 18, 0);
    off.enabled = 0;
    EXPECT_FALSE(TaskDueAt(off, At(4, 18, 0)));
    // The rule does not look at the title; arming does.
    const ScheduleTask untitled = Task(0, 18, 0, "");
    EXPECT_TRUE(TaskDueAt(untitled, At(4, 18, 0)));
    EXPECT_FALSE(TaskArmable(untitled));
    ScheduleTask odd = Task(0, 18, 0);
    odd.enabled = 2;  // fires when armed, but only 1 arms
    EXPECT_TRUE(TaskDueAt(odd, At(4, 18, 0)));
    EXPECT_FALSE(TaskArmable(odd));
    EXPECT_TRUE(TaskArmable(Task(0, 18, 0)));
}

TEST(SchedulerRuleTest, TimesShowOnATwelveHourClock) {
    const std::tuple<int, int, const char*> cases[] = {{9, 5, "09:05 AM"},   {0, 0, "12:00 AM"},
                                                       {13, 30, "01:30 PM"}, {12, 0, "12:00 PM"},
                                                       {11, 59, "11:59 AM"}, {23, 59, "11:59 PM"}};
    for (const auto& [hour, minute, text] : cases) EXPECT_EQ(FormatTaskTime(hour, minute), text);
    EXPECT_EQ(DayRuleText(8), "Mon-Fri");
    EXPECT_EQ(DayRuleText(11), "");
}

TEST(SchedulerRuleTest, TheRangeRunsTwoYearsBackToToday) {
    const std::pair<LocalDateTime, DateRange> cases[] = {
        {At(29, 18, 0, 0, 2, 2012), {20100301, 20120229}},
        {At(5, 18, 0, 0, 1, 2011), {20090105, 20110105}},
        {At(29, 9, 0, 0, 2, 2016), {20140301, 20160229}},
        {At(28, 9, 0, 0, 2, 2014), {20120228, 20140228}},
        {At(31, 23, 59, 0, 12, 2013), {20111231, 20131231}},
    };
    for (const auto& [now, range] : cases) EXPECT_EQ(ScheduledRange(now), range) << now.YyyyMmDd();
}

// Checks of the shared record at given moments, as the app's ticks and
// corvane-cli runs make them.
class FiredRecordTest : public ::testing::Test {
protected:
    FiredRecordTest() { tasks_[2] = Task(8, 18, 0); }

    // The slots one check claims.
    std::vector<std::size_t> Check(const LocalDateTime& now) {
        const TaskClaim claim = ClaimDueTasks(dir_.Path(), tasks_, armed_, now);
        EXPECT_EQ(claim.result, Result::Ok) << claim.failure;
        return claim.slots;
    }
    // How many of the checks fired slot 2.
    int Firings(const std::vector<LocalDateTime>& checks) {
        int firings = 0;
        for (const LocalDateTime& now : checks)
            firings += Check(now) == std::vector<std::size_t>{2};
        return firings;
    }

    test::TempDir dir_;
    TaskTable tasks_;
    SlotMask armed_ = {false, false, true};
};

TEST_F(FiredRecordTest, ATaskFiresOnceInItsMinuteWhateverTheTicks) {
    struct Case {
        const char* name;
        std::vector<LocalDateTime> checks;
        int firings;
    };
    const Case cases[] = {
        {"ticks on the minute", {At(8, 17, 59), At(8, 18, 0), At(8, 18, 1)}, 1},
        {"ticks drifting around the minute's edges",
         {At(8, 17, 59, 59), At(8, 18, 0, 0), At(8, 18, 0, 59), At(8, 18, 1, 0)},
         1},
        {"two ticks in the minute", {At(8, 17, 59, 30), At(8, 18, 0, 1), At(8, 18, 0, 58)}, 1},
        {"the minute's tick came late", {At(8, 17, 59, 30), At(8, 18, 1, 10), At(8, 18, 2)}, 1},
        {"asleep from five to nine", {At(8, 17, 0), At(8, 21, 0), At(8, 21, 1)}, 1},
        {"asleep until the bound's last minute", {At(7, 17, 0), At(8, 6, 0)}, 1},
        {"asleep past the catch-up bound", {At(7, 17, 0), At(8, 6, 1)}, 0},
        {"a weekend between checks", {At(8, 18, 0), At(9, 18, 0), At(10, 18, 0), At(11, 18, 0)}, 2},
        {"the first check ever comes after the minute", {At(8, 18, 5), At(8, 18, 6)}, 0},
        {"the clock set back an hour after the firing",
         {At(8, 18, 0), At(8, 17, 30), At(8, 18, 0), At(8, 18, 1)},
         1},
        {"the clock set back a year", {At(8, 18, 0), At(8, 18, 0, 0, 11, 2012)}, 2},
    };
    for (const Case& c : cases) {
        test::TempDir fresh;
        int firings = 0;
        for (const LocalDateTime& now : c.checks) {
            const TaskClaim claim = ClaimDueTasks(fresh.Path(), tasks_, armed_, now);
            ASSERT_EQ(claim.result, Result::Ok) << c.name;
            firings += static_cast<int>(claim.slots.size());
        }
        EXPECT_EQ(firings, c.firings) << c.name;
    }
}

TEST_F(FiredRecordTest, AMinuteThatPassedBeforeTheTaskWasArmedDoesNotFire) {
    armed_[2] = false;
    EXPECT_EQ(Firings({At(8, 17, 59), At(8, 18, 0), At(8, 18, 1)}), 0);
    // Accepted on the sheet at 18:01:30.
    armed_[2] = true;
    EXPECT_EQ(Firings({At(8, 18, 2), At(8, 18, 3)}), 0);
    // Switched off over its minute, on again after it.
    tasks_[2].enabled = 0;
    EXPECT_EQ(Firings({At(11, 17, 59), At(11, 18, 0), At(11, 18, 1)}), 0);
    tasks_[2].enabled = 1;
    EXPECT_EQ(Firings({At(11, 18, 2)}), 0);
    EXPECT_EQ(Firings({At(12, 18, 0)}), 1);
}

TEST_F(FiredRecordTest, TwoSchedulersInTheSameMinuteFireTheTaskOnce) {
    // The app's tick and a corvane-cli run read the same record file.
    EXPECT_EQ(Check(At(8, 17, 59)), std::vector<std::size_t>{});
    EXPECT_EQ(Check(At(8, 18, 0, 2)), std::vector<std::size_t>{2});
    EXPECT_EQ(Check(At(8, 18, 0, 40)), std::vector<std::size_t>{});
    const std::optional<FiredRecord> record = ReadFiredRecord(dir_.Path());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->fired[2], ToLocalMinute(At(8, 18, 0)));
    EXPECT_EQ(record->checked, ToLocalMinute(At(8, 18, 0)));
    EXPECT_EQ(FormatFiredRecord(*record).find("slot 2 2013-11-08 18:00\n") != std::string::npos,
              true);
}

TEST_F(FiredRecordTest, ARecordThatCannotBeReplacedClaimsNothingAndIsCaughtUp) {
    Check(At(8, 17, 59));
    const std::vector<std::uint8_t> before = test::ReadBytes(dir_ / "fired.txt");
    // Every step fails in turn: opening the new file, truncating, writing,
    // syncing, renaming; once the rename is done the claim holds.
    int step = 1;
    for (;; ++step) {
        ArmFileFaults({FilePlan::Kind::Fail, step, 0, ""});
        const TaskClaim claim = ClaimDueTasks(dir_.Path(), tasks_, armed_, At(8, 18, 0));
        DisarmFileFaults();
        if (claim.result == Result::Ok) {
            EXPECT_EQ(claim.slots, std::vector<std::size_t>{2});
            break;
        }
        EXPECT_TRUE(claim.slots.empty()) << step;
        EXPECT_EQ(claim.missed, std::vector<std::size_t>{2}) << step;
        EXPECT_NE(claim.failure.find(" cannot be "), std::string::npos) << claim.failure;
        EXPECT_EQ(test::ReadBytes(dir_ / "fired.txt"), before) << step;
        ASSERT_LT(step, 20);
    }
    EXPECT_EQ(step, 6);
    EXPECT_EQ(Firings({At(8, 18, 1)}), 0);

    // A full disk a few days later: the check after it catches the task up.
    ArmFileFaults({FilePlan::Kind::DiskFull, 0, 0, ""});
    EXPECT_EQ(ClaimDueTasks(dir_.Path(), tasks_, armed_, At(11, 18, 0)).result, Result::Failed);
    DisarmFileFaults();
    EXPECT_EQ(Firings({At(11, 18, 1), At(11, 18, 2)}), 1);
}

TEST_F(FiredRecordTest, AGarbledRecordIsReadForWhatItHolds) {
    const FiredRecord record = ParseFiredRecord(
        "checked 2013-11-08 17:59\nslot 2 2013-11-08 18:00 extra\nslot 12 2013-11-08 18:00\n"
        "slot 3 2013-02-31 18:00\nslot 4 2013-11-08 18:00\nslot 5\n");
    FiredRecord expected;
    expected.checked = ToLocalMinute(At(8, 17, 59));
    expected.fired[4] = ToLocalMinute(At(8, 18, 0));
    EXPECT_EQ(record, expected);
    EXPECT_EQ(ParseFiredRecord(FormatFiredRecord(expected)), expected);

    // A file without a check that reads: only the present minute counts.
    const std::string garbled = "checked x\nslot 9 2013-02-31 18:00\n";
    test::WriteBytes(dir_ / "fired.txt", {garbled.begin(), garbled.end()});
    EXPECT_EQ(Firings({At(8, 18, 5), At(11, 18, 0)}), 1);
}

}  // namespace
}  // namespace corvane
