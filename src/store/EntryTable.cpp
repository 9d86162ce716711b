#include "EntryTable.h"

#include "DirectoryFiles.h"

namespace corvane {

EntryTable::EntryTable(std::vector<SecurityRecord> entries) : entries_(std::move(entries)) {
    noCase_.reserve(entries_.size());
    exact_.reserve(entries_.size());
    // emplace keeps the first of equal keys: the first entry in store order wins.
    for (int position = 0; position < Count(); ++position) {
        const std::string& symbol = At(position).symbol;
        exact_.emplace(symbol, position);
        noCase_.emplace(UpperCase(symbol), position);
    }
}

std::optional<int> EntryTable::FindNoCase(const std::string& symbol) const {
    const auto found = noCase_.find(UpperCase(symbol));
    if (found == noCase_.end()) return std::nullopt;
    return found->second;
}

std::optional<int> EntryTable::FindExact(const std::string& symbol) const {
    const auto found = exact_.find(symbol);
    if (found == exact_.end()) return std::nullopt;
    return found->second;
}

}  // namespace corvane
