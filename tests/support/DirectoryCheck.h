#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace corvane::test {

// An independent judge of a data directory, reading the bytes itself: every
// inconsistency it finds, one line each; empty for a sound directory. It
// checks that MASTER and EMASTER list the same securities in the same order
// with the same file numbers, that header counts match the file sizes, that
// every entry's price file is there with as many bars as its header says and
// the entry's dates equal its first and last bar, that no two entries share a
// file number, that no price file is left without an entry, and that no
// unfinished change (a CORVANE.INTENT that is not empty, *.corvane-new) is
// left behind.
std::vector<std::string> CheckDirectory(const std::filesystem::path& directory);

// The raw 28-byte bar records of every security, by symbol.
using BarRecords = std::map<std::string, std::vector<std::vector<std::uint8_t>>>;
BarRecords ReadAllBars(const std::filesystem::path& directory);

}  // namespace corvane::test
