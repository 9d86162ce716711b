#include "StoreWriter.h"

#include <algorithm>

#include "Coding.h"
#include "DirectoryChange.h"
#include "DirectoryFiles.h"
#include "NativeFile.h"
#include "StoreCheck.h"
#include "StoreMessages.h"

namespace corvane {
namespace {

namespace m = layout::master;
namespace e = layout::emaster;
namespace x = layout::xmaster;
namespace p = layout::price;

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[(month - 1) % 12];
}

std::vector<std::uint8_t> EmptyPriceFile() {
    std::vector<std::uint8_t> header(p::kHeaderSize, 0);
    EncodeU16(header, p::kCount, 1);
    return header;
}

std::vector<std::uint8_t> NewXmasterHeader() {
    std::vector<std::uint8_t> header(x::kHeaderSize, 0);
    std::copy(x::kMagic.begin(), x::kMagic.end(), header.begin());
    EncodeU32(header, x::kNextNumber, x::kFirstNumber);
    return header;
}

}  // namespace

StoreWriter::StoreWriter(Prompt& prompt, const Clock& clock) : prompt_(prompt), clock_(clock) {}

StoreWriter::~StoreWriter() {
    Close();
}

Result StoreWriter::Open(const std::filesystem::path& directory, std::chrono::milliseconds wait) {
    Close();
    directory_ = directory;
    openFailure_ = OpenFailure::None;
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error))
        return FailOpen(OpenFailure::NotDataDirectory, "");
    if (!lock_.Acquire(directory, DirectoryLock::Kind::Exclusive, wait))
        return FailOpen(OpenFailure::InUse, "");
    std::string problem;
    if (FinishInterruptedChange(directory, problem) != Result::Ok)
        return FailOpen(OpenFailure::Damaged,
                        "an interrupted change cannot be finished: " + problem);
    if (index_.Load(directory, &handles_) != Result::Ok) {
        const bool masterThere = PathExists(index_.masterPath);
        const bool emasterThere = PathExists(index_.emasterPath);
        if (!masterThere && !emasterThere) return FailOpen(OpenFailure::NotDataDirectory, "");
        if (masterThere && emasterThere)
            return FailOpen(OpenFailure::CannotWrite, index_.Problem());
        return FailOpen(OpenFailure::Damaged, index_.Problem());
    }
    if (const auto damage = Damage()) return FailOpen(OpenFailure::Damaged, *damage);
    open_ = true;
    return Result::Ok;
}

Result StoreWriter::FailOpen(OpenFailure failure, std::string problem) {
    openFailure_ = failure;
    failure_ = std::move(problem);
    lock_.Release();
    return Result::Failed;
}

// A change to index files that disagree would make them worse: a MASTER
// that lost records, for one, hands out the file numbers of securities
// that exist.
std::optional<std::string> StoreWriter::Damage() const {
    const std::vector<std::string> damage = IndexDamage(index_);
    if (damage.empty()) return std::nullopt;
    return damage.front();
}

std::string StoreWriter::OpenFailureMessage() const {
    const std::string directory = directory_.string();
    switch (openFailure_) {
        case OpenFailure::InUse:
            return "Directory " + directory + " is in use by other application.";
        case OpenFailure::NotDataDirectory:
            return "Directory " + directory + " is not a data directory.";
        case OpenFailure::Damaged:
            return "Directory " + directory + " is damaged: " + failure_ +
                   "; run corvane-cli check --repair";
        case OpenFailure::CannotWrite:
            return "Directory " + directory + " cannot be changed: " + failure_ + ".";
        case OpenFailure::None:
            break;
    }
    return "";
}

void StoreWriter::Close() {
    // A rebuild its caller never closed is dropped: it may be unfinished.
    if (staging_) priceWriteFailed_ = true;
    if (priceFile_.IsOpen()) (void)ClosePriceFile();
    open_ = false;
    index_ = IndexSet{};
    handles_ = IndexHandles{};
    lock_.Release();
}

Result StoreWriter::CreateDirectory(const std::filesystem::path& directory) {
    Close();
    directory_ = directory;
    if (!MakeDirectories(directory)) return FailOpen(OpenFailure::CannotWrite, LastFileError());
    if (!lock_.Acquire(directory, DirectoryLock::Kind::Exclusive, std::chrono::milliseconds(0)))
        return FailOpen(OpenFailure::InUse, "");
    std::string problem;
    if (FinishInterruptedChange(directory, problem) != Result::Ok)
        return FailOpen(OpenFailure::Damaged,
                        "an interrupted change cannot be finished: " + problem);
    const std::filesystem::path master = FindFile(directory, kMasterName);
    const std::filesystem::path emaster = FindFile(directory, kEmasterName);
    const bool masterThere = PathExists(master);
    const bool emasterThere = PathExists(emaster);
    if (masterThere != emasterThere) {
        // A lone index file that lists securities must not get a blank partner.
        std::error_code error;
        const std::uintmax_t size =
            std::filesystem::file_size(masterThere ? master : emaster, error);
        const std::size_t header = masterThere ? m::kHeaderSize : e::kHeaderSize;
        if (error || size > header)
            return FailOpen(OpenFailure::Damaged,
                            NameOf(masterThere ? emaster : master) + " is missing");
    }
    // MASTER first: a folder is taken for a data directory once EMASTER exists.
    for (const auto& [path, size, there] : {std::tuple{master, m::kHeaderSize, masterThere},
                                            std::tuple{emaster, e::kHeaderSize, emasterThere}}) {
        if (there) continue;
        NativeFile file;
        const std::vector<std::uint8_t> header(size, 0);
        if (!file.Open(path, NativeFile::Mode::CreateNew) || !file.WriteAt(0, header)) {
            const std::string reason = NameOf(path) + ": " + LastFileError();
            file.Close();
            (void)RemoveFile(path);
            return FailOpen(OpenFailure::CannotWrite, reason);
        }
    }
    lock_.Release();
    return Result::Ok;
}

Result StoreWriter::AddSecurity(const std::string& symbol, const std::string& name,
                                char periodicity) {
    std::filesystem::path ignored;
    const std::int32_t date = TwoYearsAgo();
    return AddSecurityWithDates(symbol, name, periodicity, date, date, ignored);
}

// Today with the year reduced by two; 29 February becomes the 28th.
std::int32_t StoreWriter::TwoYearsAgo() const {
    const LocalDateTime now = clock_.Now();
    const int year = now.year - 2;
    const int day = std::min(now.day, DaysInMonth(year, now.month));
    return year * 10000 + now.month * 100 + day;
}

Result StoreWriter::AddSecurityWithDates(const std::string& symbol, const std::string& name,
                                         char periodicity, std::int32_t firstDate,
                                         std::int32_t lastDate, std::filesystem::path& outPath) {
    if (!open_) return Fail("the directory is not open");
    if (priceFile_.IsOpen()) return Fail("a price file is still open");
    // Two entries with one symbol would hide the second from every lookup.
    if (index_.FindSymbol(symbol)) return Fail(kSecurityExists + symbol);
    const std::optional<Slot> slot = ChooseSlot();
    if (!slot) return Fail("no file number is free for " + symbol);

    IndexSet index = index_;
    NewEntry entry{symbol, name, periodicity, slot->fileNumber, firstDate, lastDate};
    if (slot->extended) {
        entry.firstDate = ToLongDate(firstDate);
        entry.lastDate = ToLongDate(lastDate);
        if (!index.hasXmaster) {
            index.hasXmaster = true;
            index.xmaster.Load(NewXmasterHeader(), 0);
        }
        AddExtendedEntry(index, entry);
    } else {
        auto shortDate = [](std::int32_t date) {
            return date > 19'000'000 ? TruncateToInt(ToShortDate(date)) : date;
        };
        entry.firstDate = shortDate(firstDate);
        entry.lastDate = shortDate(lastDate);
        AddLowEntry(index, entry, slot->raisesHighest);
    }
    // The price file is put in place first, so no index record ever names a
    // missing file.
    const std::string priceName = PriceFileName(slot->fileNumber, slot->extended);
    DirectoryChange change(directory_);
    if (change.Stage(priceName, EmptyPriceFile()) != Result::Ok)
        return Fail("cannot create " + priceName + ": " + LastFileError());
    StageIndexFiles(change, index, !slot->extended, slot->extended);
    if (CommitIndex(change) != Result::Ok) return Result::Failed;
    outPath = directory_ / priceName;
    return Result::Ok;
}

std::optional<StoreWriter::Slot> StoreWriter::ChooseSlot() const {
    if (index_.master.Count() < m::kMaxLowEntries) {
        const std::uint16_t highest = DecodeU16(index_.master.Header(), m::kHighestNumber);
        for (int number = highest + 1; number <= m::kMaxLowEntries; ++number)
            if (!NumberTaken(static_cast<std::uint16_t>(number), false))
                return Slot{static_cast<std::uint16_t>(number), false, true};
        for (int number = 1; number <= std::min<int>(highest, m::kMaxLowEntries); ++number)
            if (!NumberTaken(static_cast<std::uint16_t>(number), false))
                return Slot{static_cast<std::uint16_t>(number), false, false};
        return std::nullopt;
    }
    std::uint32_t next = x::kFirstNumber;
    if (index_.hasXmaster)
        next = std::max(DecodeU32(index_.xmaster.Header(), x::kNextNumber), next);
    for (; next <= x::kMaxFileNumber; ++next)
        if (!NumberTaken(static_cast<std::uint16_t>(next), true))
            return Slot{static_cast<std::uint16_t>(next), true, false};
    return std::nullopt;
}

// A number is free when no entry holds it and no file of that name exists:
// a file left by another program or a lost entry is never overwritten.
bool StoreWriter::NumberTaken(std::uint16_t number, bool extended) const {
    if (PathExists(FindFile(directory_, PriceFileName(number, extended)))) return true;
    if (extended) {
        for (std::uint32_t i = 0; i < index_.xmaster.Count(); ++i)
            if (DecodeU16(index_.xmaster.Record(i), x::kFileNumber) == number) return true;
        return false;
    }
    for (std::uint32_t i = 0; i < index_.master.Count(); ++i)
        if (index_.master.Record(i)[m::kFileNumber] == number) return true;
    for (std::uint32_t i = 0; i < index_.emaster.Count(); ++i)
        if (DecodeU16(index_.emaster.Record(i), e::kFileNumber) == number) return true;
    return false;
}

void StoreWriter::AddLowEntry(IndexSet& index, const NewEntry& entry, bool raisesHighest) const {
    index.master.Append(BuildMasterRecord(entry));
    index.emaster.Append(BuildEmasterRecord(entry));
    if (raisesHighest) {
        EncodeU16(index.master.Header(), m::kHighestNumber, entry.fileNumber);
        EncodeU16(index.emaster.Header(), e::kHighestNumber, entry.fileNumber);
    }
    index.StampCounts();
}

void StoreWriter::AddExtendedEntry(IndexSet& index, const NewEntry& entry) const {
    index.xmaster.Append(BuildXmasterRecord(entry));
    EncodeU32(index.xmaster.Header(), x::kNextNumber, entry.fileNumber + 1u);
    index.StampCounts();
}

// The index files the change rewrites, by patches in place; EMASTER leads,
// as readers go by it.
void StoreWriter::StageIndexFiles(DirectoryChange& change, const IndexSet& index, bool lowFiles,
                                  bool xmasterFile) const {
    if (lowFiles) {
        change.Rewrite(NameOf(index.emasterPath), index_.emaster.Bytes(), index.emaster.Bytes());
        change.Rewrite(NameOf(index.masterPath), index_.master.Bytes(), index.master.Bytes());
    }
    if (!xmasterFile) return;
    if (index.hasXmaster && index.xmaster.Count() == 0) {
        change.Remove(NameOf(index.xmasterPath));
        return;
    }
    const std::vector<std::uint8_t> before =
        index_.hasXmaster ? index_.xmaster.Bytes() : std::vector<std::uint8_t>{};
    change.Rewrite(NameOf(index.xmasterPath), before, index.xmaster.Bytes());
}

// Index changes touch more than one file, so their record and their steps
// are put on the disk. The index is read again afterwards, as it now is.
Result StoreWriter::CommitIndex(DirectoryChange& change) {
    std::string problem;
    const Result result = change.Commit(problem, RefreshFromDisk(), true);
    ReloadIndex();
    return result == Result::Ok ? Result::Ok : Fail(problem);
}

std::function<bool(const std::string&)> StoreWriter::RefreshFromDisk() const {
    return [directory = directory_](const std::string& name) {
        return RefreshEntryDates(directory, name) == Result::Ok;
    };
}

Result StoreWriter::RenameSecurity(const std::string& currentSymbol, const std::string& newName,
                                   const std::string& newSymbol) {
    if (!open_) return Fail("the directory is not open");
    if (priceFile_.IsOpen()) return Fail("a price file is still open");
    // Two entries with one symbol would hide the second from every lookup.
    if (!EqualsNoCase(currentSymbol, newSymbol) && index_.FindSymbol(newSymbol))
        return Refuse(kSecurityExists + newSymbol);
    const auto place = index_.FindSymbol(currentSymbol);
    if (!place) return NotFound(currentSymbol);
    IndexSet index = index_;
    if (place->extended) {
        SetXmasterText(index.xmaster.Record(place->index), newSymbol, newName);
    } else {
        if (place->master) SetMasterText(index.master.Record(*place->master), newSymbol, newName);
        SetEmasterText(index.emaster.Record(place->index), newSymbol, newName);
    }
    DirectoryChange change(directory_);
    StageIndexFiles(change, index, !place->extended, place->extended);
    return CommitIndex(change);
}

Result StoreWriter::UpdateSecurityInfo(const std::string& symbol, std::int32_t firstDate,
                                       std::int32_t lastDate, char periodicity) {
    if (!open_) return Fail("the directory is not open");
    if (priceFile_.IsOpen()) return Fail("a price file is still open");
    const auto place = index_.FindSymbol(symbol);
    if (!place) return NotFound(symbol);
    IndexSet index = index_;
    index.SetInfo(*place, firstDate, lastDate, periodicity);
    if (index.EntryBytes(*place) == index_.EntryBytes(*place))
        return Result::Ok;  // the entry says this already
    DirectoryChange change(directory_);
    StageIndexFiles(change, index, !place->extended, place->extended);
    return CommitIndex(change);
}

Result StoreWriter::DeleteSecurity(const std::string& symbol) {
    if (!open_) return Fail("the directory is not open");
    if (priceFile_.IsOpen()) return Fail("a price file is still open");
    const auto place = index_.FindSymbol(symbol);
    if (!place) return NotFound(symbol);
    const SecurityRecord entry = index_.Entry(*place);
    IndexSet index = index_;
    DirectoryChange change(directory_);
    const std::string priceName = NameOf(FindFile(directory_, entry.PriceFileName()));
    if (place->extended) {
        index.xmaster.Remove(place->index);
        index.StampCounts();
        StageIndexFiles(change, index, false, true);
        change.Remove(priceName);
        return CommitIndex(change);
    }
    if (place->master) index.master.Remove(*place->master);
    index.emaster.Remove(place->index);
    index.StampCounts();
    const bool moveExtended = index.hasXmaster && index.xmaster.Count() > 0;
    if (moveExtended) {
        // The moved entry's file replaces the deleted one's in one rename.
        const SecurityRecord moved = index.Entry(EntryPlace{std::nullopt, 0, true});
        const std::filesystem::path movedFile = FindFile(directory_, moved.PriceFileName());
        // A moved entry without a price file must not inherit the deleted one's.
        if (PathExists(movedFile))
            change.Move(NameOf(movedFile), priceName);
        else
            change.Remove(priceName);
        MoveFirstExtendedInto(index, entry.fileNumber);
        StageIndexFiles(change, index, true, true);
        return CommitIndex(change);
    }
    if (index.emaster.Count() == 0) {
        // The last entry takes the index files with it; EMASTER goes first,
        // so the folder stops being a data directory at once.
        change.Remove(NameOf(index.emasterPath));
        if (index.master.Count() == 0)
            change.Remove(NameOf(index.masterPath));
        else
            change.Rewrite(NameOf(index.masterPath), index_.master.Bytes(), index.master.Bytes());
    } else {
        StageIndexFiles(change, index, true, false);
    }
    change.Remove(priceName);
    const Result result = CommitIndex(change);
    if (result == Result::Ok && index.emaster.Count() == 0) {
        // No longer a data directory: nothing of Corvane's stays behind.
        (void)RemoveFile(directory_ / kIntentName);
        Close();
    }
    return result;
}

// The first extended entry takes over the freed low file number, so the low
// files stay full while XMASTER has entries. Counts and highest numbers stay.
void StoreWriter::MoveFirstExtendedInto(IndexSet& index, std::uint16_t fileNumber) const {
    const SecurityRecord moved = DecodeXmasterRecord(index.xmaster.Record(0));
    const NewEntry entry{moved.symbol,
                         moved.name.substr(0, m::kNameWidth),
                         moved.periodicity,
                         fileNumber,
                         TruncateToInt(ToShortDate(moved.firstDate)),
                         TruncateToInt(ToShortDate(moved.lastDate)),
                         true};
    index.master.Append(BuildMasterRecord(entry));
    index.emaster.Append(BuildEmasterRecord(entry));
    index.xmaster.Remove(0);
    index.StampCounts();
}

Result StoreWriter::CopyPriceFileFrom(const std::string& symbol,
                                      const std::filesystem::path& source) {
    if (!open_) return Fail("the directory is not open");
    if (priceFile_.IsOpen()) return Fail("a price file is still open");
    const auto place = index_.FindSymbol(symbol);
    if (!place) return NotFound(symbol);
    NativeFile file;
    std::optional<std::uint64_t> size;
    std::vector<std::uint8_t> bytes;
    if (!file.Open(source, NativeFile::Mode::Read) || !(size = file.Size()) ||
        !(bytes.resize(*size), file.ReadAt(0, bytes)))
        return Fail("cannot read " + source.string() + ": " + LastFileError());
    const std::string priceName = PriceFileOf(*place);
    DirectoryChange change(directory_);
    if (change.Stage(priceName, bytes) != Result::Ok)
        return Fail("cannot write " + priceName + ": " + LastFileError());
    change.RefreshDates(priceName);
    std::string problem;
    const Result result = change.Commit(problem, RefreshFromDisk(), false);
    ReloadIndex();
    return result == Result::Ok ? Result::Ok : Fail(problem);
}

Result StoreWriter::OpenPriceFileBySymbol(const std::string& symbol) {
    return OpenPriceFileForWrite(symbol, false);
}

Result StoreWriter::OpenPriceFileForWrite(const std::string& symbol, bool create) {
    // The file still open is finished first; its failure is this call's.
    if (priceFile_.IsOpen() && ClosePriceFile() != Result::Ok) return Result::Failed;
    if (!open_) return Fail("the directory is not open");
    const auto place = index_.FindSymbol(symbol);
    if (!place) return Result::Failed;
    priceFileName_ = PriceFileOf(*place);
    const std::filesystem::path path = directory_ / priceFileName_;
    priceWriteFailed_ = priceChanged_ = false;
    staging_ = create;
    if (!create) {
        if (priceFile_.Open(path, StoreFile::Mode::Update)) return Result::Ok;
        return Fail("cannot open " + priceFileName_ + " of " + symbol + ": " + LastFileError());
    }
    // The old file must be one we may change; the new one goes beside it.
    {
        NativeFile old;
        if (PathExists(path) && !old.Open(path, NativeFile::Mode::Update))
            return Fail("cannot open " + priceFileName_ + " of " + symbol + ": " + LastFileError());
    }
    rebuild_ = std::make_unique<DirectoryChange>(directory_);
    if (rebuild_->BeginStaged(priceFileName_) == Result::Ok &&
        priceFile_.Create(rebuild_->StagedPath(priceFileName_)) &&
        priceFile_.CopyPermissionsFrom(path))
        return Result::Ok;
    const std::string reason = LastFileError();
    priceFile_.Close();
    rebuild_.reset();
    staging_ = false;
    return Fail("cannot create a new " + priceFileName_ + " for " + symbol + ": " + reason);
}

std::string StoreWriter::PriceFileOf(const EntryPlace& place) const {
    return NameOf(FindFile(directory_, index_.Entry(place).PriceFileName()));
}

Result StoreWriter::ClosePriceFile() {
    if (!priceFile_.IsOpen()) return Result::Ok;
    const Result result = FinishPriceFile();
    priceFile_.Close();
    staging_ = priceChanged_ = priceWriteFailed_ = false;
    return result;
}

Result StoreWriter::FinishPriceFile() {
    // Bars a failed append wrote but could not count are cut off first, as
    // the next opener would after a crash.
    if (priceChanged_ && !priceFile_.DropUncountedTail()) {
        const std::string reason = LastFileError();
        priceFile_.Close();
        open_ = false;  // the intent record stays for the next opener
        return Fail("cannot finish " + priceFileName_ + ": " + reason);
    }
    const auto first = priceFile_.FirstBarDate();
    const auto last = priceFile_.LastBarDate();
    const auto setDates = [&](const std::string& name) {
        return !first || !last || WriteEntryDates(name, *first, *last);
    };
    if (staging_) {
        std::unique_ptr<DirectoryChange> change = std::move(rebuild_);
        if (priceWriteFailed_ || !priceFile_.Sync()) {
            const std::string reason = LastFileError();
            priceFile_.Close();
            change.reset();  // drops the new file
            return Fail("the new " + priceFileName_ + " was not written whole (" + reason +
                        "); the old one is kept");
        }
        priceFile_.Close();
        change->RefreshDates(priceFileName_);
        std::string problem;
        if (change->Commit(problem, setDates, false) == Result::Ok) return Result::Ok;
        ReloadIndex();
        return Fail(problem);
    }
    if (!priceChanged_) return Result::Ok;
    priceFile_.Close();
    if (setDates(priceFileName_) && priceGuard_->Remove() == Result::Ok) return Result::Ok;
    const std::string reason = LastFileError();
    ReloadIndex();
    return Fail("cannot set the dates of " + priceFileName_ + ": " + reason);
}

// The entry's dates, in memory and in place in its index records.
bool StoreWriter::WriteEntryDates(const std::string& priceFileName, std::int32_t first,
                                  std::int32_t last) {
    const auto place = index_.FindPriceFile(priceFileName);
    if (!place) return true;  // the entry has gone
    index_.SetInfo(*place, first, last, index_.Entry(*place).periodicity);
    return index_.WriteEntry(*place, handles_);
}

Result StoreWriter::AppendBar(const PriceBar& bar) {
    return AppendBars(std::span(&bar, 1));
}

Result StoreWriter::AppendBars(std::span<const PriceBar> bars) {
    if (!priceFile_.IsOpen()) return Fail("no price file is open");
    if (bars.empty()) return Result::Ok;
    if (BeginPriceChange() != Result::Ok) return Result::Failed;
    if (priceFile_.AppendMany(bars)) return Result::Ok;
    priceWriteFailed_ = true;
    return Fail("cannot write to " + priceFileName_ + ": " + LastFileError());
}

Result StoreWriter::OverwriteLastBar(const PriceBar& bar) {
    if (!priceFile_.IsOpen()) return Fail("no price file is open");
    if (BeginPriceChange() != Result::Ok) return Result::Failed;
    if (priceFile_.OverwriteLast(bar)) return Result::Ok;
    priceWriteFailed_ = true;
    return Fail("cannot write to " + priceFileName_ + ": " + LastFileError());
}

// Bars written in place are covered by an intent record, so that a crash
// before the entry's dates follow them leaves the next opener to set them.
Result StoreWriter::BeginPriceChange() {
    if (staging_ || priceChanged_) return Result::Ok;
    if (!open_) return Fail("the directory is not open");
    priceGuard_.emplace(directory_);
    if (priceGuard_->Write({{"dates", priceFileName_, ""}}, true, false) != Result::Ok)
        return Fail("cannot write " + std::string(kIntentName) + ": " + LastFileError());
    priceChanged_ = true;
    return Result::Ok;
}

// After a change that may not have gone through: the disk is the truth. An
// intent record left behind must be finished by the next Open before this
// writer may change anything again, or a new change would overwrite it.
void StoreWriter::ReloadIndex() {
    if (HasInterruptedChange(directory_) || index_.Load(directory_, &handles_) != Result::Ok)
        open_ = false;
}

std::optional<std::int32_t> StoreWriter::GetFirstBarDate() {
    return priceFile_.FirstBarDate();
}

std::optional<std::int32_t> StoreWriter::GetLastBarDate() {
    return priceFile_.LastBarDate();
}

Result StoreWriter::Fail(const std::string& what) {
    failure_ = what;
    failureShown_ = false;
    return Result::Failed;
}

Result StoreWriter::Refuse(const std::string& text) {
    prompt_.Show(text, kStoreCaption, PromptIcon::None, PromptButtons::Ok);
    failure_ = text;
    failureShown_ = true;
    return Result::Failed;
}

Result StoreWriter::NotFound(const std::string& symbol) {
    return Refuse(kCanNotFindSecurity + symbol);
}

}  // namespace corvane
