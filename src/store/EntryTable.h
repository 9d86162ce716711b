#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "SecurityRecord.h"

namespace corvane {

// The entries of a data directory in store order, found by symbol in one
// step: what a run over many symbols looks them up in, instead of walking
// the index files once per symbol.
class EntryTable {
public:
    EntryTable() = default;
    explicit EntryTable(std::vector<SecurityRecord> entries);

    int Count() const { return static_cast<int>(entries_.size()); }
    const SecurityRecord& At(int position) const {
        return entries_[static_cast<std::size_t>(position)];
    }
    // The store position (0 for the first entry) of the first entry whose
    // symbol equals `symbol` without regard to case, the store's own rule.
    std::optional<int> FindNoCase(const std::string& symbol) const;
    // The same, case counting.
    std::optional<int> FindExact(const std::string& symbol) const;

private:
    std::vector<SecurityRecord> entries_;
    std::unordered_map<std::string, int> noCase_;
    std::unordered_map<std::string, int> exact_;
};

}  // namespace corvane
