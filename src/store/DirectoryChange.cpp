#include "DirectoryChange.h"

#include <map>
#include <optional>
#include <sstream>

#include "DirectoryFiles.h"
#include "IndexSet.h"
#include "NativeFile.h"
#include "PriceFile.h"

namespace corvane {
namespace {

constexpr const char* kIntentHeader = "corvane-intent 1";
constexpr const char* kIntentEnd = "end";
constexpr const char* kStaged = "staged";

std::string Describe(const std::string& what) {
    return what + ": " + LastFileError();
}

struct ReadRecord {
    std::vector<IntentRecord::Step> steps;
    bool complete = false;
};

ReadRecord ReadIntent(const std::filesystem::path& path) {
    ReadRecord record;
    NativeFile file;
    if (!file.Open(path, NativeFile::Mode::Read)) return record;
    std::string text(static_cast<std::size_t>(file.Size().value_or(0)), '\0');
    if (!file.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size())))
        return record;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kIntentHeader) return record;
    while (std::getline(lines, line)) {
        if (line == kIntentEnd) {
            record.complete = true;
            break;
        }
        IntentRecord::Step step;
        std::istringstream fields(line);
        std::getline(fields, step.verb, '\t');
        std::getline(fields, step.first, '\t');
        std::getline(fields, step.second, '\t');
        record.steps.push_back(step);
    }
    return record;
}

std::string ToHex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

std::optional<std::vector<std::uint8_t>> FromHex(const std::string& text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (text.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

// An offset or size inside an index file; a record asking for more is damaged.
std::optional<std::uint64_t> ToOffset(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::uint64_t value = std::stoull(text);
    if (value > layout::kMaxIndexFileBytes) return std::nullopt;
    return value;
}

// Files a change wrote in place, kept open until they are on the disk.
class PatchedFiles {
public:
    explicit PatchedFiles(const std::filesystem::path& directory) : directory_(directory) {}
    NativeFile* Open(const std::string& name) {
        auto& file = files_[name];
        if (!file.IsOpen() && !file.Open(directory_ / name, NativeFile::Mode::OwnFile))
            return nullptr;
        return &file;
    }
    bool SyncAll() {
        for (auto& [name, file] : files_)
            if (!file.Sync()) return false;
        return true;
    }

private:
    std::filesystem::path directory_;
    std::map<std::string, NativeFile> files_;
};

bool Patch(PatchedFiles& files, const IntentRecord::Step& step, std::string& problem) {
    const std::size_t space = step.second.find(' ');
    const auto offset = ToOffset(step.second.substr(0, space));
    const auto bytes =
        space == std::string::npos ? std::nullopt : FromHex(step.second.substr(space + 1));
    const bool fits = offset && bytes && *offset + bytes->size() <= layout::kMaxIndexFileBytes;
    if (step.verb == "size" ? !ToOffset(step.second) : !fits) {
        problem = "a damaged step in " + std::string(kIntentName) + " for " + step.first;
        return false;
    }
    NativeFile* file = files.Open(step.first);
    const bool done =
        file != nullptr && (step.verb == "size" ? file->Truncate(*ToOffset(step.second))
                                                : file->WriteAt(*offset, *bytes));
    if (!done) problem = Describe("cannot write " + step.first);
    return done;
}

// Steps name files of this directory only: a record written by anyone else
// must not reach outside it.
bool PlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

bool NamesAreLocal(const IntentRecord::Step& step) {
    const bool twoNames = step.verb == "move";
    return PlainName(step.first) && (!twoNames || PlainName(step.second));
}

bool CarryOut(const std::filesystem::path& directory, const IntentRecord::Step& step,
              const std::function<bool(const std::string&)>& refreshDates, PatchedFiles& files,
              std::string& problem) {
    if (!NamesAreLocal(step)) {
        problem = std::string(kIntentName) + " names a file outside the directory: " + step.first;
        return false;
    }
    if (step.verb == kStaged) return true;
    if (step.verb == "patch" || step.verb == "size") return Patch(files, step, problem);
    if (step.verb == "move") {
        const std::filesystem::path from = directory / step.first;
        if (!PathExists(from)) return true;
        if (RenameFile(from, directory / step.second)) return true;
        problem = Describe("cannot rename " + step.first + " to " + step.second);
        return false;
    }
    if (step.verb == "remove") {
        if (RemoveFile(directory / step.first)) return true;
        problem = Describe("cannot remove " + step.first);
        return false;
    }
    if (step.verb == "dates") {
        if (refreshDates(step.first)) return true;
        problem = Describe("cannot set the dates of " + step.first);
        return false;
    }
    problem = "unknown step in " + std::string(kIntentName) + ": " + step.verb;
    return false;
}

// With `durable`, what was written in place is on the disk before this returns.
bool CarryOutAll(const std::filesystem::path& directory,
                 const std::vector<IntentRecord::Step>& steps,
                 const std::function<bool(const std::string&)>& refreshDates, bool durable,
                 std::string& problem) {
    PatchedFiles files(directory);
    for (const IntentRecord::Step& step : steps)
        if (!CarryOut(directory, step, refreshDates, files, problem)) return false;
    if (!durable || (files.SyncAll() && SyncDirectory(directory))) return true;
    problem = Describe("cannot put the change on the disk");
    return false;
}

bool RemoveStaged(const std::filesystem::path& directory,
                  const std::vector<IntentRecord::Step>& steps, std::string& problem) {
    for (const IntentRecord::Step& step : steps) {
        // Only our own staged files, by the name they are given.
        if (step.verb != kStaged || !PlainName(step.first) || !step.first.ends_with(kStagedSuffix))
            continue;
        if (RemoveFile(directory / step.first)) continue;
        problem = Describe("cannot remove " + step.first);
        return false;
    }
    return true;
}

}  // namespace

IntentRecord::IntentRecord(std::filesystem::path directory)
    : path_(std::move(directory) / kIntentName) {}

Result IntentRecord::Write(const std::vector<Step>& steps, bool complete, bool durable) {
    std::string text = std::string(kIntentHeader) + "\n";
    for (const Step& step : steps) {
        text += step.verb + "\t" + step.first;
        if (!step.second.empty()) text += "\t" + step.second;
        text += "\n";
    }
    if (complete) text += std::string(kIntentEnd) + "\n";
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    // The file stays between changes, emptied: creating a file per change
    // costs more than the change itself on some file systems.
    const bool opened = file_.IsOpen() || OpenEmpty();
    if (opened && file_.WriteAt(0, bytes) && file_.Truncate(bytes.size()) &&
        (!durable || file_.Sync()))
        return Result::Ok;
    return Result::Failed;
}

// A record left by another change must never be written over: it is only
// emptied once the next opener has finished it.
bool IntentRecord::OpenEmpty() {
    if (!file_.Open(path_, NativeFile::Mode::OwnFile)) return false;
    if (file_.Size().value_or(1) == 0) return true;
    file_.Close();
    return false;
}

Result IntentRecord::Remove() {
    // Only a record this object wrote: one pending from elsewhere is not ours.
    if (!file_.IsOpen()) return Result::Ok;
    const bool emptied = file_.Truncate(0);
    file_.Close();
    return emptied ? Result::Ok : Result::Failed;
}

Result IntentRecord::Clear(const std::filesystem::path& directory) {
    NativeFile file;
    const bool emptied =
        file.Open(directory / kIntentName, NativeFile::Mode::Update) && file.Truncate(0);
    return emptied ? Result::Ok : Result::Failed;
}

bool HasInterruptedChange(const std::filesystem::path& directory) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(directory / kIntentName, error);
    return !error && size > 0;
}

Result FinishInterruptedChange(const std::filesystem::path& directory, std::string& problem) {
    const std::filesystem::path path = directory / kIntentName;
    if (!HasInterruptedChange(directory)) return Result::Ok;
    const ReadRecord record = ReadIntent(path);
    const auto refresh = [&](const std::string& name) {
        return RefreshEntryDates(directory, name) == Result::Ok;
    };
    // A complete record is finished; one cut short had not begun, and only
    // its staged files are cleared.
    const bool done = record.complete ? CarryOutAll(directory, record.steps, refresh, true, problem)
                                      : RemoveStaged(directory, record.steps, problem);
    if (!done) {
        if (problem.empty()) problem = Describe("cannot finish an interrupted change");
        return Result::Failed;
    }
    if (IntentRecord::Clear(directory) != Result::Ok) {
        problem = Describe(std::string("cannot empty ") + kIntentName);
        return Result::Failed;
    }
    return Result::Ok;
}

Result RefreshEntryDates(const std::filesystem::path& directory, const std::string& fileName) {
    IndexSet index;
    IndexHandles handles;
    if (index.Load(directory, &handles) != Result::Ok) return Result::Failed;
    const auto place = index.FindPriceFile(fileName);
    if (!place) return Result::Ok;  // the entry has gone since
    PriceFile prices;
    if (!prices.Open(FindFile(directory, fileName), StoreFile::Mode::Update))
        return PathExists(FindFile(directory, fileName)) ? Result::Failed : Result::Ok;
    if (!prices.DropUncountedTail()) return Result::Failed;
    const auto first = prices.FirstBarDate();
    const auto last = prices.LastBarDate();
    if (!first || !last) return Result::Ok;
    index.SetInfo(*place, *first, *last, index.Entry(*place).periodicity);
    return index.WriteEntry(*place, handles) ? Result::Ok : Result::Failed;
}

DirectoryChange::DirectoryChange(std::filesystem::path directory)
    : directory_(std::move(directory)), intent_(directory_) {}

// The record goes first: while it might still read as complete, the files it
// names must stay for the next opener to finish the change with.
DirectoryChange::~DirectoryChange() {
    if (committed_ || !prepared_ || intent_.Remove() != Result::Ok) return;
    for (const IntentRecord::Step& step : staged_) (void)RemoveFile(directory_ / step.first);
}

std::filesystem::path DirectoryChange::StagedPath(const std::string& name) const {
    return directory_ / (name + kStagedSuffix);
}

Result DirectoryChange::BeginStaged(const std::string& name) {
    // Recorded before it exists, so that a crash before Commit leaves nothing
    // the next opener does not know to clear; a file left in the way goes.
    staged_.push_back({kStaged, name + kStagedSuffix, ""});
    prepared_ = true;
    if (intent_.Write(staged_, false, false) != Result::Ok || !RemoveFile(StagedPath(name)))
        return Result::Failed;
    steps_.push_back({"move", name + kStagedSuffix, name});
    return Result::Ok;
}

Result DirectoryChange::Stage(const std::string& name, std::span<const std::uint8_t> bytes) {
    NativeFile file;
    // Creation refuses anything planted in the way, a symbolic link included.
    if (BeginStaged(name) != Result::Ok ||
        !file.Open(StagedPath(name), NativeFile::Mode::CreateNew) ||
        !file.CopyPermissionsFrom(directory_ / name) || !file.WriteAt(0, bytes) || !file.Sync())
        return Result::Failed;
    return Result::Ok;
}

void DirectoryChange::Rewrite(const std::string& name, std::span<const std::uint8_t> before,
                              std::span<const std::uint8_t> after) {
    // Compared in blocks; neighbouring changed blocks make one patch.
    constexpr std::size_t kBlock = 64;
    std::size_t start = std::string::npos;
    auto flush = [&](std::size_t end) {
        if (start == std::string::npos) return;
        steps_.push_back({"patch", name,
                          std::to_string(start) + " " + ToHex(after.subspan(start, end - start))});
        start = std::string::npos;
    };
    for (std::size_t at = 0; at < after.size(); at += kBlock) {
        const std::size_t end = std::min(at + kBlock, after.size());
        const bool same =
            end <= before.size() && std::equal(after.begin() + static_cast<long>(at),
                                               after.begin() + static_cast<long>(end),
                                               before.begin() + static_cast<long>(at));
        if (!same && start == std::string::npos) start = at;
        if (same) flush(at);
    }
    flush(after.size());
    if (after.size() < before.size())
        steps_.push_back({"size", name, std::to_string(after.size())});
}

// Every existing file a patch will write can be opened for writing, before
// the record says the change may go ahead: a change must not stop half-way
// on a file it could have known it cannot write.
bool DirectoryChange::TargetsOpen(std::string& problem) const {
    for (const IntentRecord::Step& step : steps_) {
        if (step.verb != "patch" && step.verb != "size") continue;
        const std::filesystem::path path = directory_ / step.first;
        NativeFile file;
        if (!PathExists(path) || file.Open(path, NativeFile::Mode::Update)) continue;
        problem = Describe("cannot write " + step.first);
        return false;
    }
    return true;
}

void DirectoryChange::Patch(const std::string& name, std::uint64_t offset,
                            std::span<const std::uint8_t> bytes) {
    steps_.push_back({"patch", name, std::to_string(offset) + " " + ToHex(bytes)});
}

void DirectoryChange::Move(const std::string& from, const std::string& to) {
    steps_.push_back({"move", from, to});
}

void DirectoryChange::Remove(const std::string& name) {
    steps_.push_back({"remove", name, ""});
}

void DirectoryChange::RefreshDates(const std::string& priceFileName) {
    steps_.push_back({"dates", priceFileName, ""});
}

Result DirectoryChange::Commit(std::string& problem,
                               const std::function<bool(const std::string&)>& refreshDates,
                               bool durable) {
    if (!TargetsOpen(problem)) return Result::Failed;
    std::vector<IntentRecord::Step> record = staged_;
    record.insert(record.end(), steps_.begin(), steps_.end());
    if (intent_.Write(record, true, durable) != Result::Ok) {
        problem = Describe(std::string("cannot write ") + kIntentName);
        return Result::Failed;
    }
    committed_ = true;
    if (CarryOutAll(directory_, steps_, refreshDates, durable, problem) &&
        intent_.Remove() == Result::Ok)
        return Result::Ok;
    // One more try, as the next opener would; what it cannot finish stays
    // recorded for later.
    std::string retry;
    if (FinishInterruptedChange(directory_, retry) == Result::Ok) return Result::Ok;
    if (problem.empty()) problem = retry.empty() ? Describe("cannot finish the change") : retry;
    return Result::Failed;
}

}  // namespace corvane
