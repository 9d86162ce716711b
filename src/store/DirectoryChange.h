#pragma once

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "Layout.h"
#include "NativeFile.h"
#include "Result.h"

namespace corvane {

inline constexpr const char* kIntentName = "CORVANE.INTENT";
inline constexpr const char* kStagedSuffix = ".corvane-new";

// The intent record of a data directory, CORVANE.INTENT: what a change that
// takes several file operations is about to do. It is written before the
// first of them and emptied after the last (the file stays, empty, between
// changes); whoever opens the directory next after a crash reads it
// (FinishInterruptedChange). Its lines:
//   staged NAME     a new file written beside its original; removed if the
//                   record was never completed
//   patch NAME AT HEX  writes the bytes HEX at offset AT of NAME (created when
//                   missing, never through a symbolic link)
//   size NAME N     cuts NAME to N bytes
//   move FROM TO    renames FROM over TO when FROM is still there
//   remove NAME     removes NAME when it is still there
//   dates NAME      sets the dates of the entry whose price file is NAME from
//                   its first and last bar, dropping bars past its count
//   end             the record is complete: its steps are carried out
// Every step can be done twice without harm.
class IntentRecord {
public:
    struct Step {
        std::string verb;
        std::string first;
        std::string second;
    };

    explicit IntentRecord(std::filesystem::path directory);

    // Writes the record anew. A complete one may be acted on; with `durable`
    // it is on the disk before this returns.
    Result Write(const std::vector<Step>& steps, bool complete, bool durable);
    // Empties the record this object wrote; one it did not write stays.
    Result Remove();
    // Empties the directory's record, once the next opener has finished it.
    static Result Clear(const std::filesystem::path& directory);

private:
    bool OpenEmpty();

    std::filesystem::path path_;
    NativeFile file_;
};

bool HasInterruptedChange(const std::filesystem::path& directory);
// Finishes a change that a crash interrupted, or clears what it staged when
// it had not begun. Fails, with the reason in `problem`, when a step cannot
// be carried out.
Result FinishInterruptedChange(const std::filesystem::path& directory, std::string& problem);
// Sets the first and last date of the entry whose price file is `fileName`
// from the bars in that file, in place, after cutting off bars past the
// file's count. An entry or file without bars keeps its dates.
Result RefreshEntryDates(const std::filesystem::path& directory, const std::string& fileName);

// A change to a data directory under an intent record: index files are
// changed in place by the patches the record holds, new and rebuilt price
// files are written beside their place and renamed into it. Dropped without
// Commit, it removes what it staged.
class DirectoryChange {
public:
    explicit DirectoryChange(std::filesystem::path directory);
    ~DirectoryChange();
    DirectoryChange(const DirectoryChange&) = delete;
    DirectoryChange& operator=(const DirectoryChange&) = delete;

    // Writes `bytes`, on the disk, beside the file `name`; they take that
    // file's place on Commit.
    Result Stage(const std::string& name, std::span<const std::uint8_t> bytes);
    // Makes way for a file the caller writes at StagedPath(name), created
    // exclusively and synced; it takes the place of `name` on Commit.
    Result BeginStaged(const std::string& name);
    std::filesystem::path StagedPath(const std::string& name) const;

    // The file `name` goes from `before` to `after`, by patches of the
    // ranges that differ; an empty `before` creates it.
    void Rewrite(const std::string& name, std::span<const std::uint8_t> before,
                 std::span<const std::uint8_t> after);
    // Writes `bytes` at `offset` of the file `name`.
    void Patch(const std::string& name, std::uint64_t offset, std::span<const std::uint8_t> bytes);
    void Move(const std::string& from, const std::string& to);
    void Remove(const std::string& name);
    void RefreshDates(const std::string& priceFileName);

    // Carries out every step. `refreshDates` serves the dates steps (the
    // writer knows the entry); `durable` puts the record on the disk before
    // the first step and the steps before the record is emptied, for changes
    // of more than one file. After a failure part-way the change stays
    // recorded for the next opener to finish.
    Result Commit(std::string& problem, const std::function<bool(const std::string&)>& refreshDates,
                  bool durable);

private:
    bool TargetsOpen(std::string& problem) const;

    std::filesystem::path directory_;
    IntentRecord intent_;
    std::vector<IntentRecord::Step> staged_;
    std::vector<IntentRecord::Step> steps_;
    bool prepared_ = false;
    bool committed_ = false;
};

}  // namespace corvane
