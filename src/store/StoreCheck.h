#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "IndexSet.h"
#include "Result.h"

namespace corvane {

// Disagreements among the index files of a directory that a change would
// make worse: MASTER and EMASTER out of step, header counts that do not
// match the records, an XMASTER that is not one, two entries sharing a file
// number or a symbol. Writers refuse a directory while any is found. One
// line each; empty for a sound index.
std::vector<std::string> IndexDamage(const IndexSet& index);
// What IndexDamage finds in XMASTER's header alone (its signature and its
// counts): all there is to check when MASTER and EMASTER are known sound
// and only the header of XMASTER was read.
std::vector<std::string> XmasterHeaderDamage(const IndexSet& index);

// The first disagreement among a data directory's index files, read only
// and quickly (price files are not read): what a window says of a
// directory it shows. Nothing for a sound directory or a folder that is
// not a data directory.
std::optional<std::string> IndexDamageOf(const std::filesystem::path& directory);

struct CheckReport {
    bool dataDirectory = true;  // EMASTER or MASTER is there at all
    bool inUse = false;         // a writer elsewhere kept the directory
    std::vector<std::string> findings;
};

// Every inconsistency of a data directory, one line each naming the entry
// and the file: the index damage above, a change a crash left unfinished,
// entries whose price file is missing or unreadable, price files whose
// header count disagrees with their size, bars out of date order or with
// their high below their low, index dates that differ from the first and
// last bar, and price files no entry names. Reads only.
CheckReport CheckStore(const std::filesystem::path& directory);

struct RepairReport {
    Result result = Result::Ok;
    bool inUse = false;
    std::vector<std::string> done;  // what was mended, one line each
    std::string failure;            // why the repair could not be made
};

// Mends what can be mended without guessing, under the directory's write
// lock and as one change that a crash cannot leave half done: finishes an
// interrupted change, sets header counts from the records, rebuilds MASTER
// from EMASTER for the low entries, and sets index dates from the bars. It
// never removes a price file or an entry and never changes a bar.
RepairReport RepairStore(const std::filesystem::path& directory, std::chrono::milliseconds wait);

}  // namespace corvane
