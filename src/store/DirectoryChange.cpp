#include "DirectoryChange.h"

#include <sstream>

#include "Coding.h"
#include "DirectoryFiles.h"
#include "IndexRecords.h"
#include "IndexSet.h"
#include "NativeFile.h"
#include "PriceFile.h"

namespace corvane {
namespace {

namespace m = layout::master;
namespace e = layout::emaster;
namespace x = layout::xmaster;

constexpr const char* kIntentHeader = "corvane-intent 1";
constexpr const char* kIntentEnd = "end";

std::string Describe(const std::string& what) {
    return what + ": " + LastFileError();
}

// The steps of a complete record; nothing when it was cut short, in which
// case none of its steps had begun.
std::optional<std::vector<IntentRecord::Step>> ReadIntent(const std::filesystem::path& path) {
    NativeFile file;
    if (!file.Open(path, NativeFile::Mode::Read)) return std::nullopt;
    std::string text(static_cast<std::size_t>(file.Size().value_or(0)), '\0');
    if (!file.ReadAt(0, std::span(reinterpret_cast<std::uint8_t*>(text.data()), text.size())))
        return std::nullopt;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kIntentHeader) return std::nullopt;
    std::vector<IntentRecord::Step> steps;
    while (std::getline(lines, line)) {
        if (line == kIntentEnd) return steps;
        IntentRecord::Step step;
        std::istringstream fields(line);
        std::getline(fields, step.verb, '\t');
        std::getline(fields, step.first, '\t');
        std::getline(fields, step.second, '\t');
        steps.push_back(step);
    }
    return std::nullopt;
}

bool CarryOut(const std::filesystem::path& directory, const IntentRecord::Step& step,
              std::string& problem) {
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
        if (RefreshEntryDates(directory, step.first) == Result::Ok) return true;
        problem = Describe("cannot set the dates of " + step.first);
        return false;
    }
    problem = "unknown step in " + std::string(kIntentName) + ": " + step.verb;
    return false;
}

bool CarryOutAll(const std::filesystem::path& directory,
                 const std::vector<IntentRecord::Step>& steps, std::string& problem) {
    for (const IntentRecord::Step& step : steps)
        if (!CarryOut(directory, step, problem)) return false;
    return true;
}

bool WriteRecordAt(const std::filesystem::path& path, std::uint64_t offset,
                   std::span<const std::uint8_t> record) {
    NativeFile file;
    return file.Open(path, NativeFile::Mode::Update) && file.WriteAt(offset, record);
}

// New files a crash left before their intent record was complete: nothing
// refers to them.
Result RemoveStagedLeftovers(const std::filesystem::path& directory, std::string& problem) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.ends_with(kStagedSuffix)) continue;
        if (!RemoveFile(it->path())) {
            problem = Describe("cannot remove " + name);
            return Result::Failed;
        }
    }
    return Result::Ok;
}

}  // namespace

IntentRecord::IntentRecord(std::filesystem::path directory)
    : path_(std::move(directory) / kIntentName) {}

Result IntentRecord::Write(const std::vector<Step>& steps, bool durable) {
    std::string text = std::string(kIntentHeader) + "\n";
    for (const Step& step : steps) {
        text += step.verb + "\t" + step.first;
        if (!step.second.empty()) text += "\t" + step.second;
        text += "\n";
    }
    text += std::string(kIntentEnd) + "\n";
    NativeFile file;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (RemoveFile(path_) && file.Open(path_, NativeFile::Mode::CreateNew) &&
        file.WriteAt(0, bytes) && (!durable || file.Sync()))
        return Result::Ok;
    file.Close();
    (void)RemoveFile(path_);
    return Result::Failed;
}

Result IntentRecord::Remove() {
    return RemoveFile(path_) ? Result::Ok : Result::Failed;
}

bool HasInterruptedChange(const std::filesystem::path& directory) {
    return PathExists(directory / kIntentName);
}

Result FinishInterruptedChange(const std::filesystem::path& directory, std::string& problem) {
    const std::filesystem::path path = directory / kIntentName;
    if (!PathExists(path)) return RemoveStagedLeftovers(directory, problem);
    if (const auto steps = ReadIntent(path)) {
        if (!CarryOutAll(directory, *steps, problem) || !SyncDirectory(directory)) {
            if (problem.empty()) problem = Describe("cannot finish an interrupted change");
            return Result::Failed;
        }
    }
    if (!RemoveFile(path)) {
        problem = Describe(std::string("cannot remove ") + kIntentName);
        return Result::Failed;
    }
    return RemoveStagedLeftovers(directory, problem);
}

Result RefreshEntryDates(const std::filesystem::path& directory, const std::string& fileName) {
    IndexSet index;
    if (index.Load(directory) != Result::Ok) return Result::Failed;
    const auto place = index.FindPriceFile(fileName);
    if (!place) return Result::Ok;  // the entry has gone since
    PriceFile prices;
    if (!prices.Open(FindFile(directory, fileName), StoreFile::Mode::Update))
        return PathExists(FindFile(directory, fileName)) ? Result::Failed : Result::Ok;
    if (!prices.DropUncountedTail()) return Result::Failed;
    const auto first = prices.FirstBarDate();
    const auto last = prices.LastBarDate();
    if (!first || !last) return Result::Ok;
    if (place->extended) {
        auto record = index.xmaster.Record(place->index);
        SetXmasterInfo(record, *first, *last, static_cast<char>(record[x::kPeriodicity]));
        return WriteRecordAt(index.xmasterPath, index.xmaster.OffsetOf(place->index), record)
                   ? Result::Ok
                   : Result::Failed;
    }
    if (place->master) {
        auto record = index.master.Record(*place->master);
        SetMasterInfo(record, *first, *last, static_cast<char>(record[m::kPeriodicity]));
        if (!WriteRecordAt(index.masterPath, index.master.OffsetOf(*place->master), record))
            return Result::Failed;
    }
    auto record = index.emaster.Record(place->index);
    SetEmasterInfo(record, *first, *last, static_cast<char>(record[e::kPeriodicity]));
    return WriteRecordAt(index.emasterPath, index.emaster.OffsetOf(place->index), record)
               ? Result::Ok
               : Result::Failed;
}

DirectoryChange::DirectoryChange(std::filesystem::path directory)
    : directory_(std::move(directory)) {}

DirectoryChange::~DirectoryChange() {
    if (committed_) return;
    for (const std::string& name : staged_) (void)RemoveFile(StagedPath(name));
}

std::filesystem::path DirectoryChange::StagedPath(const std::string& name) const {
    return directory_ / (name + kStagedSuffix);
}

Result DirectoryChange::Stage(const std::string& name, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path staged = StagedPath(name);
    NativeFile file;
    // A file left by an earlier crash goes first; creation then refuses
    // anything planted in its place, a symbolic link included.
    if (!RemoveFile(staged) || !file.Open(staged, NativeFile::Mode::CreateNew)) return Result::Failed;
    staged_.push_back(name);
    if (!file.WriteAt(0, bytes) || !file.CopyPermissionsFrom(directory_ / name) || !file.Sync())
        return Result::Failed;
    steps_.push_back({"move", name + kStagedSuffix, name});
    return Result::Ok;
}

void DirectoryChange::AdoptStaged(const std::string& name) {
    staged_.push_back(name);
    steps_.push_back({"move", name + kStagedSuffix, name});
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

Result DirectoryChange::Commit(std::string& problem) {
    IntentRecord intent(directory_);
    if (intent.Write(steps_, true) != Result::Ok) {
        problem = Describe(std::string("cannot write ") + kIntentName);
        return Result::Failed;
    }
    committed_ = true;
    if (CarryOutAll(directory_, steps_, problem) && SyncDirectory(directory_) &&
        intent.Remove() == Result::Ok)
        return Result::Ok;
    // One more try, as the next opener would; what it cannot finish stays
    // recorded for later.
    std::string retry;
    if (FinishInterruptedChange(directory_, retry) == Result::Ok) return Result::Ok;
    if (problem.empty()) problem = retry.empty() ? Describe("cannot finish the change") : retry;
    return Result::Failed;
}

}  // namespace corvane
