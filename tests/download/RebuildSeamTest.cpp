#include <gmock/gmock.h>

#include "RebuildSeam.h"

namespace corvane {
namespace {

PriceBar Bar(int date, float close) {
    return {date, close, close + 1, close - 1, close, 100, 0};
}

std::vector<int> Dates(const std::vector<PriceBar>& bars) {
    std::vector<int> dates;
    for (const PriceBar& bar : bars) dates.push_back(bar.date);
    return dates;
}

struct SeamCase {
    const char* name;
    std::vector<PriceBar> stored;
    std::vector<PriceBar> fresh;
    std::vector<int> before;
    std::vector<int> after;
    float firstKeptClose;  // of the first kept bar, after scaling
    bool unscaled;
};

TEST(RebuildSeamTest, KeepsWhatTheAnswerDoesNotReachAtTheAnswersScale) {
    const SeamCase cases[] = {
        {"answer covers all", {Bar(1050103, 10), Bar(1050104, 11)}, {Bar(1050103, 5), Bar(1050104, 6)},
         {}, {}, 0, false},
        // Halved by a split: the kept bars are halved too.
        {"older days, a common day", {Bar(1050103, 10), Bar(1050104, 12), Bar(1050105, 14)},
         {Bar(1050104, 6), Bar(1050105, 7)}, {1050103}, {}, 5, false},
        {"older days, no common day", {Bar(1040105, 10), Bar(1040106, 12)},
         {Bar(1050104, 6), Bar(1050105, 7)}, {1040105, 1040106}, {}, 10, true},
        {"newer days too", {Bar(1050103, 10), Bar(1050104, 12), Bar(1050110, 20)},
         {Bar(1050104, 24)}, {1050103}, {1050110}, 20, false},
        {"a stored close of zero cannot scale", {Bar(1050103, 10), Bar(1050104, 0)},
         {Bar(1050104, 6)}, {1050103}, {}, 10, true},
        {"nothing stored", {}, {Bar(1050104, 6)}, {}, {}, 0, false},
    };
    for (const SeamCase& c : cases) {
        SCOPED_TRACE(c.name);
        const RebuildSeam seam = KeepStoredHistory(c.stored, c.fresh);
        EXPECT_EQ(Dates(seam.before), c.before);
        EXPECT_EQ(Dates(seam.after), c.after);
        EXPECT_EQ(seam.unscaled, c.unscaled);
        const auto& kept = seam.before.empty() ? seam.after : seam.before;
        if (!kept.empty()) {
            EXPECT_FLOAT_EQ(kept.front().close, c.firstKeptClose);
            EXPECT_FLOAT_EQ(kept.front().volume, 100);  // volumes stay as stored
        }
    }
}

}  // namespace
}  // namespace corvane
