// Reads fuzzed bytes as the scheduler's record of firings, checks that what
// it reads writes back to itself, and runs a check of a full task table on it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FiredRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace corvane;
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    FiredRecord record = ParseFiredRecord(text);
    if (ParseFiredRecord(FormatFiredRecord(record)) != record) std::abort();
    TaskTable tasks;
    SlotMask armed{};
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot) {
        tasks[slot] = {1, static_cast<int>(slot), static_cast<int>(slot * 2), 0, "/d", "T"};
        armed[slot] = true;
    }
    for (const LocalDateTime& now :
         {LocalDateTime{2013, 11, 8, 18, 0, 0, 5}, LocalDateTime{1900, 1, 1, 0, 0, 0, 1},
          LocalDateTime{2099, 12, 31, 23, 59, 59, 4}}) {
        FiredRecord checked = record;
        for (std::size_t slot : TakeDueTasks(checked, tasks, armed, now))
            if (slot >= kTaskSlots || !checked.fired[slot]) std::abort();
    }
    return 0;
}
