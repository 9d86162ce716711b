#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "AppSettings.h"
#include "Clock.h"
#include "Result.h"
#include "ScheduleRule.h"

namespace corvane {

inline constexpr std::size_t kTaskSlots = std::tuple_size_v<decltype(AppSettings::tasks)>;
using TaskTable = decltype(AppSettings::tasks);
using SlotMask = std::array<bool, kTaskSlots>;

// How far back a check looks for a task's minute: a task that fell due while
// the machine slept, or while no scheduler ran, fires once at the next check
// when its minute lies within the last twelve hours and after the previous
// check. Older minutes are let go; the task's next day fires as usual.
inline constexpr LocalMinute kCatchUpMinutes = 12 * 60;

// What every scheduler of the user (the app, corvane-cli scheduler run)
// shares: the minute each slot last fired, and the last minute any of them
// looked at the table.
struct FiredRecord {
    std::optional<LocalMinute> checked;
    std::array<std::optional<LocalMinute>, kTaskSlots> fired;

    bool operator==(const FiredRecord&) const = default;
};

// One check at `now`: the slots of `armed` whose task is switched on and
// whose latest minute since the previous check (at most kCatchUpMinutes back)
// has not fired yet. The record takes their minutes and the check. A clock
// set back makes the check look at its own minute only.
std::vector<std::size_t> TakeDueTasks(FiredRecord& record, const TaskTable& tasks,
                                      const SlotMask& armed, const LocalDateTime& now);

// The record's file: "checked" and one "slot N" line with a local minute
// ("2013-11-08 18:00") each. Lines that do not read are passed over.
std::string FormatFiredRecord(const FiredRecord& record);
FiredRecord ParseFiredRecord(const std::string& text);

// The folder of the record file in the per-user data folder.
std::filesystem::path FiredRecordFolder(const std::filesystem::path& userDataDirectory);

struct TaskClaim {
    Result result = Result::Ok;
    std::string failure;              // why the record could not be read or written
    std::vector<std::size_t> slots;   // this caller fires them; no other will for their minute
    std::vector<std::size_t> missed;  // due, but left unclaimed by the failure
};

// One check against the record file in `folder`, read, changed and replaced
// in one step under the folder's lock, so two programs checking in the same
// minute never claim the same firing. On failure nothing is claimed and the
// record is left as it was: a later check catches the task up.
TaskClaim ClaimDueTasks(const std::filesystem::path& folder, const TaskTable& tasks,
                        const SlotMask& armed, const LocalDateTime& now);
// The record as it stands; an empty one when there is no file yet, nothing
// when it cannot be read.
std::optional<FiredRecord> ReadFiredRecord(const std::filesystem::path& folder);

}  // namespace corvane
