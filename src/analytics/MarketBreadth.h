#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "Clock.h"
#include "Progress.h"
#include "Prompt.h"

namespace corvane {

inline constexpr int LOOKBACK_DAYS = 250;
inline constexpr float NO_LOW = 999999.875f;
inline constexpr const char* kCalculationsCompleted =
    "The calculations are completed successfully.";

struct BreadthRequest {
    std::filesystem::path directory;
    std::string selectedList;    // " A B C", as the availability analysis builds it
    std::string missingList;     // securities that take no part
    std::int32_t firstDate = 0;  // calendar dates, YYYYMMDD
    std::int32_t lastDate = 0;
};

enum class BreadthOutcome {
    Written,            // the five series were (re)written
    NothingToDo,        // no security left to read
    InvalidPeriod,      // first date not before the last date
    DirectoryInUse,     // the directory cannot be opened for update
    NotADataDirectory,  // the series exist, nothing was read
    NotStored,          // a series could not be written; its old bars are kept
};

// The selected list without the securities of the missing list, trimmed.
std::string RemoveMissing(const std::string& selectedList, const std::string& missingList);

// Counts advances, declines, unchanged issues, new highs and new lows per day
// over the period and writes them as "#ADV", "#DECL", "#UNCH", "#HIGHS" and
// "#LOWS" into the directory. Progress and cancel apply to lists longer than
// 200 characters.
BreadthOutcome CalculateBreadth(const BreadthRequest& request, Prompt& prompt, const Clock& clock,
                                EventPump& pump, Progress& progress);

}  // namespace corvane
