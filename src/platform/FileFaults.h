#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvane {

// Test hook of the file layer, in the manner of SQLite's fault-injecting file
// system: counts the operations that change files (opening for writing, writes,
// truncations, syncs, renames, removals, creations) and makes one of them go
// wrong. Disarmed, it costs one test per operation.
struct FilePlan {
    enum class Kind {
        None,
        Fail,      // operation number `at` fails; the ones after it work
        Crash,     // operation `at` and every later one do nothing, as if the process died there
        DiskFull,  // writes fail once `bytes` bytes have been written
    };
    Kind kind = Kind::None;
    int at = 0;  // counted from 1
    std::uint64_t bytes = 0;
    std::string file;  // when set, only operations on files of this name count
};

void ArmFileFaults(const FilePlan& plan);
void DisarmFileFaults();
// Operations that change files, counted since the plan was armed.
int FileChangesSeen();
// Whether the armed plan has gone off.
bool FileFaultHit();

// For the file layer: false when the operation on `path` must not happen.
// `bytes` is what the operation writes.
bool FileChangeAllowed(const std::filesystem::path& path, std::uint64_t bytes = 0);

}  // namespace corvane
