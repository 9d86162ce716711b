#include "StoreWriter.h"

#include <algorithm>

#include "Coding.h"
#include "DirectoryChange.h"
#include "DirectoryFiles.h"
#include "IndexLookup.h"
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
    return OpenIndex(directory, wait, nullptr);
}

Result StoreWriter::OpenKnown(const std::filesystem::path& directory, const EntryTable& positions,
                              std::chrono::milliseconds wait) {
    return OpenIndex(directory, wait, &positions);
}

Result StoreWriter::OpenIndex(const std::filesystem::path& directory,
                              std::chrono::milliseconds wait, const EntryTable* positions) {
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
    lookup_.reset();
    positions_ = positions;
    wholeIndex_ = positions == nullptr;
    if (index_.Load(directory, &handles_, false, wholeIndex_) != Result::Ok) {
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
// that exist. A writer opened again and again on the directory of a run
// finds the low files as it last found them sound, byte for byte, as a rule:
// it then checks XMASTER's header only.
std::optional<std::string> StoreWriter::Damage() {
    const bool lowAsChecked = !wholeIndex_ && soundLowFiles_ &&
                              index_.master.IsAsLoaded(soundLowFiles_->first) &&
                              index_.emaster.IsAsLoaded(soundLowFiles_->second);
    const std::vector<std::string> damage =
        lowAsChecked ? XmasterHeaderDamage(index_) : IndexDamage(index_);
    if (!damage.empty()) return damage.front();
    if (!wholeIndex_ && !lowAsChecked)
        soundLowFiles_.emplace(index_.master.AsLoaded(), index_.emaster.AsLoaded());
    return std::nullopt;
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
    lookup_.reset();
    known_.reset();
    positions_ = nullptr;
    wholeIndex_ = true;
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
    if (RequireWholeIndex() != Result::Ok) return Result::Failed;
    // Two entries with one symbol would hide the second from every lookup.
    if (Lookup().FindSymbol(symbol)) return Fail(kSecurityExists + symbol);
    const std::optional<Slot> slot = ChooseSlot();
    if (!slot) return Fail("no file number is free for " + symbol);

    // The price file is put in place first, so no index record ever names a
    // missing file.
    const std::string priceName = PriceFileName(slot->fileNumber, slot->extended);
    DirectoryChange change(directory_);
    if (change.Stage(priceName, EmptyPriceFile()) != Result::Ok)
        return Fail("cannot create " + priceName + ": " + LastFileError());
    NewEntry entry{symbol, name, periodicity, slot->fileNumber, firstDate, lastDate};
    const Result added =
        slot->extended ? AddExtendedEntry(change, entry) : AddLowEntry(change, entry, *slot);
    if (added != Result::Ok) return Result::Failed;
    outPath = directory_ / priceName;
    return Result::Ok;
}

// The new records are appended after those the files count, and the writer's
// images take them in once the change is on the disk: nothing of the index is
// copied or read again, so an add costs the same in a directory of any size.
Result StoreWriter::AddLowEntry(DirectoryChange& change, NewEntry entry, const Slot& slot) {
    auto shortDate = [](std::int32_t date) {
        return date > 19'000'000 ? TruncateToInt(ToShortDate(date)) : date;
    };
    entry.firstDate = shortDate(entry.firstDate);
    entry.lastDate = shortDate(entry.lastDate);
    const MasterRecord masterRecord = BuildMasterRecord(entry);
    const EmasterRecord emasterRecord = BuildEmasterRecord(entry);
    std::vector<std::uint8_t> masterHeader(index_.master.Header().begin(),
                                           index_.master.Header().end());
    std::vector<std::uint8_t> emasterHeader(index_.emaster.Header().begin(),
                                            index_.emaster.Header().end());
    EncodeU16(masterHeader, m::kCount, static_cast<std::uint16_t>(index_.master.Count() + 1));
    EncodeU16(emasterHeader, e::kCount, static_cast<std::uint16_t>(index_.emaster.Count() + 1));
    if (slot.raisesHighest) {
        EncodeU16(masterHeader, m::kHighestNumber, entry.fileNumber);
        EncodeU16(emasterHeader, e::kHighestNumber, entry.fileNumber);
    }
    // EMASTER leads, as readers go by it.
    StageAppend(change, index_.emaster, index_.emasterPath, emasterHeader, emasterRecord);
    StageAppend(change, index_.master, index_.masterPath, masterHeader, masterRecord);
    if (CommitIndex(change, false) != Result::Ok) return Result::Failed;
    TakeAppended(index_.master, masterHeader, masterRecord);
    TakeAppended(index_.emaster, emasterHeader, emasterRecord);
    if (lookup_)
        lookup_->AddLow(index_.master.Count() - 1, masterRecord, index_.emaster.Count() - 1,
                        emasterRecord);
    return Result::Ok;
}

Result StoreWriter::AddExtendedEntry(DirectoryChange& change, NewEntry entry) {
    entry.firstDate = ToLongDate(entry.firstDate);
    entry.lastDate = ToLongDate(entry.lastDate);
    const XmasterRecord record = BuildXmasterRecord(entry);
    const bool created = !index_.hasXmaster;
    std::vector<std::uint8_t> header =
        created ? NewXmasterHeader()
                : std::vector<std::uint8_t>(index_.xmaster.Header().begin(),
                                            index_.xmaster.Header().end());
    const std::uint32_t count = (created ? 0 : index_.xmaster.Count()) + 1;
    EncodeU32(header, x::kCountCopy, count);
    EncodeU32(header, x::kCount, count);
    EncodeU32(header, x::kNextNumber, entry.fileNumber + 1u);
    if (created) {
        std::vector<std::uint8_t> bytes = header;
        bytes.insert(bytes.end(), record.begin(), record.end());
        change.Rewrite(NameOf(index_.xmasterPath), {}, bytes);
        // The new file is opened with the others, as Open would.
        return CommitIndex(change, true);
    }
    StageAppend(change, index_.xmaster, index_.xmasterPath, header, record);
    if (CommitIndex(change, false) != Result::Ok) return Result::Failed;
    TakeAppended(index_.xmaster, header, record);
    if (lookup_) lookup_->AddExtended(index_.xmaster.Count() - 1, record);
    return Result::Ok;
}

// The header and the record are patched in where nothing follows the records
// the file counts, as in any directory a writer opens (its checks refuse
// uncounted records); otherwise the file is rewritten from the header on.
void StoreWriter::StageAppend(DirectoryChange& change, const IndexImage& image,
                              const std::filesystem::path& path,
                              std::span<const std::uint8_t> header,
                              std::span<const std::uint8_t> record) const {
    const std::string name = NameOf(path);
    if (!image.EndsWithRecords()) {
        IndexImage after = image;
        std::copy(header.begin(), header.end(), after.Header().begin());
        after.Append(record);
        change.Rewrite(name, image.Bytes(), after.Bytes());
        return;
    }
    change.Rewrite(name, image.Header(), header);
    change.Patch(name, image.OffsetOf(image.Count()), record);
}

void StoreWriter::TakeAppended(IndexImage& image, std::span<const std::uint8_t> header,
                               std::span<const std::uint8_t> record) {
    std::copy(header.begin(), header.end(), image.Header().begin());
    image.Append(record);
    index_.StampCounts();
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
    return Lookup().NumberHeld(number, extended) ||
           ExistsInAnyCase(directory_, PriceFileName(number, extended));
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
// are put on the disk. The index is read again afterwards, as it now is,
// unless the change went through and the caller takes it into the images.
Result StoreWriter::CommitIndex(DirectoryChange& change, bool reload) {
    std::string problem;
    const Result result = change.Commit(problem, RefreshFromDisk(), true);
    if (reload || result != Result::Ok) ReloadIndex();
    return result == Result::Ok ? Result::Ok : Fail(problem);
}

const IndexLookup& StoreWriter::Lookup() const {
    if (!lookup_) lookup_.emplace(index_);
    return *lookup_;
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
    if (RequireWholeIndex() != Result::Ok) return Result::Failed;
    // Two entries with one symbol would hide the second from every lookup.
    if (!EqualsNoCase(currentSymbol, newSymbol) && Lookup().FindSymbol(newSymbol))
        return Refuse(kSecurityExists + newSymbol);
    const auto place = Lookup().FindSymbol(currentSymbol);
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
    const auto place = FindEntry(symbol);
    if (!place) return open_ ? NotFound(symbol) : Result::Failed;
    const std::vector<std::uint8_t> before = EntryBytesAt(*place);
    SetEntryInfo(*place, firstDate, lastDate, periodicity);
    if (EntryBytesAt(*place) == before) return Result::Ok;  // the entry says this already
    // Only the entry's own records change; EMASTER leads, as readers go by it.
    DirectoryChange change(directory_);
    if (place->extended) {
        change.Patch(NameOf(index_.xmasterPath), XmasterOffset(place->index),
                     IsKnown(*place) ? std::span<const std::uint8_t>(known_->record)
                                     : index_.xmaster.Record(place->index));
    } else {
        change.Patch(NameOf(index_.emasterPath), index_.emaster.OffsetOf(place->index),
                     index_.emaster.Record(place->index));
        if (place->master)
            change.Patch(NameOf(index_.masterPath), index_.master.OffsetOf(*place->master),
                         index_.master.Record(*place->master));
    }
    // A change that fails reads the index again, dropping the new dates.
    return CommitIndex(change, false);
}

Result StoreWriter::DeleteSecurity(const std::string& symbol) {
    if (!open_) return Fail("the directory is not open");
    if (priceFile_.IsOpen()) return Fail("a price file is still open");
    if (RequireWholeIndex() != Result::Ok) return Result::Failed;
    const auto place = Lookup().FindSymbol(symbol);
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
    if (RequireWholeIndex() != Result::Ok) return Result::Failed;
    const auto place = Lookup().FindSymbol(symbol);
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
    const auto place = FindEntry(symbol);
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
    return NameOf(FindFile(directory_, EntryAt(place).PriceFileName()));
}

bool StoreWriter::IsKnown(const EntryPlace& place) const {
    return place.extended && known_ && known_->index == place.index;
}

SecurityRecord StoreWriter::EntryAt(const EntryPlace& place) const {
    return IsKnown(place) ? DecodeXmasterRecord(known_->record) : index_.Entry(place);
}

std::vector<std::uint8_t> StoreWriter::EntryBytesAt(const EntryPlace& place) const {
    if (IsKnown(place)) return {known_->record.begin(), known_->record.end()};
    return index_.EntryBytes(place);
}

void StoreWriter::SetEntryInfo(const EntryPlace& place, std::int32_t first, std::int32_t last,
                               char periodicity) {
    if (IsKnown(place))
        SetXmasterInfo(known_->record, first, last, periodicity);
    else
        index_.SetInfo(place, first, last, periodicity);
}

std::uint64_t StoreWriter::XmasterOffset(std::uint32_t index) {
    return x::kHeaderSize + static_cast<std::uint64_t>(index) * x::kRecordSize;
}

// In a light open an extended entry is taken from the known positions, its
// record read on its own and checked to hold the symbol; whatever they do
// not place is looked up in the whole index, read and checked then.
std::optional<EntryPlace> StoreWriter::FindEntry(const std::string& symbol) {
    if (wholeIndex_) return Lookup().FindSymbol(symbol);
    // The low files are read whole; one search of them costs less than a lookup table.
    if (const auto low = index_.FindSymbol(symbol)) return low;
    if (known_ && XmasterSymbolMatches(known_->record, symbol))
        return EntryPlace{std::nullopt, known_->index, true};
    const auto position = positions_->FindNoCase(symbol);
    const auto low = static_cast<int>(index_.emaster.Count());
    const std::int64_t stored = index_.xmaster.StoredCount();
    const std::int64_t present = index_.xmaster.RecordsPresent();
    const std::int64_t extended = stored < 0 || stored > present ? present : stored;
    if (index_.hasXmaster && position && *position >= low && *position - low < extended) {
        const auto index = static_cast<std::uint32_t>(*position - low);
        XmasterRecord record{};
        if (handles_.xmaster.ReadAt(XmasterOffset(index), record) &&
            XmasterSymbolMatches(record, symbol)) {
            known_ = KnownEntry{index, record};
            return EntryPlace{std::nullopt, index, true};
        }
    }
    if (RequireWholeIndex() != Result::Ok) return std::nullopt;
    return Lookup().FindSymbol(symbol);
}

Result StoreWriter::RequireWholeIndex() {
    if (wholeIndex_) return Result::Ok;
    ReloadIndex();
    if (!open_) return Fail("the index files cannot be read again");
    if (const auto damage = Damage()) {
        open_ = false;
        return Fail("the directory is damaged: " + *damage);
    }
    return Result::Ok;
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
    std::optional<EntryPlace> place;
    if (known_ && EqualsNoCase(DecodeXmasterRecord(known_->record).PriceFileName(), priceFileName))
        place = EntryPlace{std::nullopt, known_->index, true};
    else if (wholeIndex_)
        place = Lookup().FindPriceFile(priceFileName);
    else if (!(place = index_.FindPriceFile(priceFileName))) {
        if (RequireWholeIndex() != Result::Ok) return false;
        place = Lookup().FindPriceFile(priceFileName);
    }
    if (!place) return true;  // the entry has gone
    SetEntryInfo(*place, first, last, EntryAt(*place).periodicity);
    if (IsKnown(*place))
        return handles_.xmaster.WriteAt(XmasterOffset(place->index), known_->record);
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
    lookup_.reset();
    known_.reset();
    wholeIndex_ = true;
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
