#pragma once

#include <cstdint>

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
};

void ArmFileFaults(const FilePlan& plan);
void DisarmFileFaults();
// Operations that change files, counted since the plan was armed.
int FileChangesSeen();
// Whether the armed plan has gone off.
bool FileFaultHit();

// For the file layer: false when the operation must not happen. `bytes` is
// what the operation writes.
bool FileChangeAllowed(std::uint64_t bytes = 0);

}  // namespace corvane
