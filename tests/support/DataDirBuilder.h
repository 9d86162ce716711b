#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "PriceBar.h"
#include "SecurityRecord.h"

namespace corvane::test {

struct StoredSecurity {
    std::string symbol;
    std::string name;
    int bars = 0;  // daily closes 10, 11, ... from 2005-01-03
    char periodicity = 'D';
};

// The CYYMMDD date `days` calendar days after 2005-01-03, the first bar's.
std::int32_t DayAfterFirst(int days);
// Creates a data directory (folder and index files) holding the securities.
void MakeDataDir(const std::filesystem::path& directory,
                 const std::vector<StoredSecurity>& securities);
// Every entry of a directory in store order; empty when it does not open.
std::vector<SecurityRecord> ReadEntries(const std::filesystem::path& directory);
std::vector<std::string> ReadSymbols(const std::filesystem::path& directory);
std::vector<PriceBar> ReadBars(const std::filesystem::path& directory, const std::string& symbol);

}  // namespace corvane::test
