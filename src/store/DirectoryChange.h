#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "Result.h"

namespace corvane {

// The intent record of a data directory: the steps of a change that takes
// several file operations, written to CORVANE.INTENT before the first of them.
// A crash part-way leaves it behind, and whoever opens the directory next
// carries out the rest (FinishInterruptedChange). Every step can be done
// twice without harm:
//   move FROM TO    renames FROM over TO when FROM is still there
//   remove NAME     removes NAME when it is still there
//   dates NAME      sets the dates of the entry whose price file is NAME
//                   from its first and last bar
class IntentRecord {
public:
    struct Step {
        std::string verb;
        std::string first;
        std::string second;
    };

    explicit IntentRecord(std::filesystem::path directory);

    // Writes the record; with `durable` it is on the disk before this returns.
    Result Write(const std::vector<Step>& steps, bool durable);
    Result Remove();

private:
    std::filesystem::path path_;
};

inline constexpr const char* kIntentName = "CORVANE.INTENT";
inline constexpr const char* kStagedSuffix = ".corvane-new";

// Finishes a change a crash interrupted, if any. Fails, with the reason in
// `problem`, when a step cannot be carried out.
Result FinishInterruptedChange(const std::filesystem::path& directory, std::string& problem);
bool HasInterruptedChange(const std::filesystem::path& directory);

// Sets the first and last date of the entry whose price file is `fileName`
// from the bars in that file, in place. An entry or file without bars is left
// as it is.
Result RefreshEntryDates(const std::filesystem::path& directory, const std::string& fileName);

// A change made of whole new files: each is written beside the one it
// replaces, then everything is switched over under an intent record.
class DirectoryChange {
public:
    explicit DirectoryChange(std::filesystem::path directory);
    ~DirectoryChange();
    DirectoryChange(const DirectoryChange&) = delete;
    DirectoryChange& operator=(const DirectoryChange&) = delete;

    // Writes `bytes` beside the file `name` now; it takes the file's place on Commit.
    Result Stage(const std::string& name, std::span<const std::uint8_t> bytes);
    // A file already written beside `name` (see StagedPath) takes its place on Commit.
    void AdoptStaged(const std::string& name);
    void Move(const std::string& from, const std::string& to);
    void Remove(const std::string& name);
    void RefreshDates(const std::string& priceFileName);
    std::filesystem::path StagedPath(const std::string& name) const;

    // Carries out every step; on a failure the directory is left in its old
    // state or, once the intent is written, finished by the next opener.
    Result Commit(std::string& problem);

private:
    std::filesystem::path directory_;
    std::vector<IntentRecord::Step> steps_;
    std::vector<std::string> staged_;
    bool committed_ = false;
};

}  // namespace corvane
