#include "FiredRecord.h"

#include <chrono>
#include <cstdio>
#include <sstream>

#include "DirectoryLock.h"
#include "NativeFile.h"

namespace corvane {
namespace {

constexpr const char* kFileName = "fired.txt";
constexpr std::size_t kMaxFileSize = 64 * 1024;  // a few hundred bytes when sound
constexpr auto kLockWait = std::chrono::seconds(5);

std::optional<LocalMinute> ParseMinute(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%c", &year, &month, &day, &hour, &minute,
                    &end) != 5 ||
        year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        return std::nullopt;
    const LocalMinute parsed = ToLocalMinute({year, month, day, hour, minute, 0, 0});
    // 31 April and the like do not come back as they were written.
    const LocalDateTime back = FromLocalMinute(parsed);
    if (back.month != month || back.day != day) return std::nullopt;
    return parsed;
}

TaskClaim Failure(std::string failure, std::vector<std::size_t> missed = {}) {
    return TaskClaim{Result::Failed, std::move(failure), {}, std::move(missed)};
}

std::optional<std::string> ReadText(const std::filesystem::path& path) {
    if (!PathExists(path)) return std::string();
    NativeFile file;
    if (!file.Open(path, NativeFile::Mode::Read)) return std::nullopt;
    const std::optional<std::uint64_t> size = file.Size();
    if (!size || *size > kMaxFileSize) return std::nullopt;
    std::string text(static_cast<std::size_t>(*size), '\0');
    if (!file.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size())))
        return std::nullopt;
    return text;
}

// Written beside, put on the disk, then renamed over the old one: a crash
// leaves the old record or the new one, never a part of either. Once renamed
// every program reads the new record, so a folder that will not sync does not
// undo it.
bool ReplaceText(const std::filesystem::path& folder, const std::string& text) {
    const std::filesystem::path path = folder / kFileName;
    const std::filesystem::path beside = folder / (std::string(kFileName) + ".corvane-new");
    NativeFile file;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (!file.Open(beside, NativeFile::Mode::OwnFile) || !file.Truncate(0) ||
        !file.WriteAt(0, bytes) || !file.Sync())
        return false;
    file.Close();
    if (!RenameFile(beside, path)) return false;
    (void)SyncDirectory(folder);
    return true;
}

}  // namespace

std::vector<std::size_t> TakeDueTasks(FiredRecord& record, const TaskTable& tasks,
                                      const SlotMask& armed, const LocalDateTime& now) {
    const LocalMinute current = ToLocalMinute(now);
    LocalMinute from = current - kCatchUpMinutes;
    // No check before: only the present minute, so a first run fires nothing
    // from hours ago.
    if (!record.checked) from = current;
    if (record.checked && *record.checked > from) from = *record.checked;
    if (from > current) from = current;
    std::vector<std::size_t> due;
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot) {
        if (!armed[slot] || tasks[slot].enabled == 0) continue;
        const std::optional<LocalMinute> minute = LatestTaskMinute(tasks[slot], from, current);
        if (!minute) continue;
        const std::optional<LocalMinute>& fired = record.fired[slot];
        // A firing recorded after `now` is one from before the clock went back.
        if (fired && *fired >= *minute && *fired <= current) continue;
        record.fired[slot] = *minute;
        due.push_back(slot);
    }
    record.checked = current;
    return due;
}

std::string FormatFiredRecord(const FiredRecord& record) {
    std::string text =
        "# The minute each scheduled task last fired, for every program of this user that fires "
        "them.\n";
    if (record.checked) text += "checked " + FormatLocalMinute(*record.checked) + "\n";
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot)
        if (record.fired[slot])
            text += "slot " + std::to_string(slot) + " " + FormatLocalMinute(*record.fired[slot]) +
                    "\n";
    return text;
}

FiredRecord ParseFiredRecord(const std::string& text) {
    FiredRecord record;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with("checked ")) {
            record.checked = ParseMinute(line.substr(8));
        } else if (line.size() > 7 && line.starts_with("slot ") && line[5] >= '0' &&
                   line[5] < static_cast<char>('0' + kTaskSlots) && line[6] == ' ') {
            record.fired[static_cast<std::size_t>(line[5] - '0')] = ParseMinute(line.substr(7));
        }
    }
    return record;
}

std::filesystem::path FiredRecordFolder(const std::filesystem::path& userDataDirectory) {
    return userDataDirectory / "scheduler";
}

TaskClaim ClaimDueTasks(const std::filesystem::path& folder, const TaskTable& tasks,
                        const SlotMask& armed, const LocalDateTime& now) {
    const std::string where = "the record of scheduled runs in " + folder.string();
    if (!MakeDirectories(folder)) return Failure(where + " cannot be created: " + LastFileError());
    DirectoryLock lock;
    if (!lock.Acquire(folder, DirectoryLock::Kind::Exclusive, kLockWait))
        return Failure(where + " is kept by another program");
    const std::optional<std::string> before = ReadText(folder / kFileName);
    if (!before) return Failure(where + " cannot be read: " + LastFileError());
    FiredRecord record = ParseFiredRecord(*before);
    TaskClaim claim;
    claim.slots = TakeDueTasks(record, tasks, armed, now);
    const std::string after = FormatFiredRecord(record);
    if (after != *before && !ReplaceText(folder, after))
        return Failure(where + " cannot be written: " + LastFileError(), std::move(claim.slots));
    return claim;
}

std::optional<FiredRecord> ReadFiredRecord(const std::filesystem::path& folder) {
    DirectoryLock lock;
    // A missing folder is a record with nothing in it.
    if (PathExists(folder) && !lock.Acquire(folder, DirectoryLock::Kind::Shared, kLockWait))
        return std::nullopt;
    const std::optional<std::string> text = ReadText(folder / kFileName);
    if (!text) return std::nullopt;
    return ParseFiredRecord(*text);
}

}  // namespace corvane
