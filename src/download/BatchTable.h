#pragma once

#include <array>
#include <string>

namespace corvane {

// One directory of a batch download.
struct BatchEntry {
    bool selected = false;
    std::string name;     // the folder's own name
    std::string path;     // without a trailing separator
    int count = 0;        // securities when scanned
    std::string symbols;  // each preceded by one space
};

struct BatchTable {
    static constexpr int kSlots = 20;
    std::array<BatchEntry, kSlots> slots;
    int filled = 0;
};

}  // namespace corvane
