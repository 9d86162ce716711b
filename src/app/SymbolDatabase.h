#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "HttpClient.h"
#include "Progress.h"
#include "Prompt.h"

namespace corvane {

inline constexpr const char* kSymbolDatabaseName = "SymbolDatabaseEx2.dta";
inline constexpr int kSectorCount = 9;
// First industry number of each sector (1-based); industries run on to the
// next sector's first. The lists rely on these ranges.
inline constexpr int kSectorFirstIndustry[kSectorCount + 1] = {1,   18,  19,  51,  84,
                                                               100, 119, 179, 211, 216};
inline constexpr int kUsIndexGroups = 6;
inline constexpr int kUsEtfGroups = 3;

struct ListEntry {
    std::string name;
    std::string symbol;

    bool operator==(const ListEntry&) const = default;
};

// The lists of SymbolDatabaseEx2.dta: exchanges, currency pairs, sectors
// with their industries, index and fund groups, each a section of entries
// "name,symbol,...".
class SymbolDatabase {
public:
    // Nothing when the file cannot be read.
    static std::optional<SymbolDatabase> Load(const std::filesystem::path& path);

    std::vector<std::string> Exchanges() const { return Names("MarketsNumber"); }
    std::vector<std::string> Sectors() const { return Names("SectorsNumber"); }
    // Industry names of sector 1..9.
    std::vector<std::string> Industries(int sector) const;
    std::vector<std::string> UsIndexGroups() const { return GroupNames("[US-Indices]"); }
    std::vector<std::string> WorldIndexGroups() const { return GroupNames("[World-Indices]"); }
    std::vector<std::string> UsEtfGroups() const { return GroupNames("[US-ETF]"); }
    std::vector<std::string> WorldEtfGroups() const { return GroupNames("[World-ETF]"); }

    // The entries of the section whose header line holds `header`
    // ("[Market1]", "[FOREX]", "[Industry18]", ...), up to its empty line.
    std::vector<ListEntry> Section(const std::string& header) const;
    // Every industry of a sector, one after another.
    std::vector<ListEntry> SectorEntries(int sector) const;

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::size_t Find(const std::string& marker, std::size_t from = 0) const;
    // The n "key=value" lines after the "key=n" line that holds `marker`.
    std::vector<std::string> Names(const std::string& marker, std::size_t from = 0) const;
    std::vector<std::string> GroupNames(const std::string& header) const;

    std::vector<std::string> lines_;
};

// A customized list: "name,symbol" lines, or a bare symbol.
std::vector<ListEntry> ReadCustomList(const std::filesystem::path& path);
// The customized lists (files whose names end in "sym") of the folders, in
// folder order, each folder as listed.
std::vector<std::filesystem::path> FindCustomLists(
    const std::vector<std::filesystem::path>& folders);

// Fetches the database from the maker's server into `target`. The answer
// goes to a file beside it first and replaces the database only when it is
// complete and begins with the two header lines; a failure or a cancel
// leaves the old database as it was. Returns false when the request failed.
bool UpdateSymbolDatabase(HttpClient& http, const std::string& makerUrl,
                          const std::filesystem::path& target, Progress& progress, Prompt& prompt);

}  // namespace corvane
