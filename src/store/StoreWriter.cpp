#include "StoreWriter.h"

#include <algorithm>
#include <bitset>
#include <system_error>

#include "Coding.h"
#include "DirectoryFiles.h"
#include "StoreMessages.h"

namespace corvane {
namespace {

namespace m = layout::master;
namespace e = layout::emaster;
namespace x = layout::xmaster;

// Renames a price file, copying it where a rename is not possible (another
// file system, for instance).
bool MoveFile(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (!error) return true;
    error.clear();
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    if (error) return false;
    RemoveFileQuietly(from);
    return true;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[(month - 1) % 12];
}

Result FromBool(bool ok) {
    return ok ? Result::Ok : Result::Failed;
}

// The first of `count` records whose symbol matches; a linear scan, as the
// index keeps no other order, read sequentially through the file's buffer.
template <typename Record, typename Matcher>
std::optional<std::uint32_t> FindRecord(IndexFile& file, std::uint32_t count,
                                        const std::string& symbol, Matcher matches) {
    Record record{};
    file.Rewind();
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!file.ReadNextRecord(record)) break;
        if (matches(record, symbol)) return i;
    }
    return std::nullopt;
}

}  // namespace

StoreWriter::StoreWriter(Prompt& prompt, const Clock& clock) : prompt_(prompt), clock_(clock) {}

Result StoreWriter::Open(const std::filesystem::path& directory) {
    Close();
    directory_ = directory;
    if (!master_.Open(FindFile(directory, kMasterName), StoreFile::Mode::Update) ||
        !emaster_.Open(FindFile(directory, kEmasterName), StoreFile::Mode::Update)) {
        Close();
        return Result::Failed;
    }
    // Counts are trusted only as far as the records are there, so that every
    // later append lands right after the last real record.
    const bool masterRead = master_.ReadHeader(masterHeader_);
    EncodeU16(masterHeader_, m::kCount,
              static_cast<std::uint16_t>(master_.ClampCount(masterRead ? MasterCount() : -1)));
    const bool emasterRead = emaster_.ReadHeader(emasterHeader_);
    EncodeU16(emasterHeader_, e::kCount,
              static_cast<std::uint16_t>(emaster_.ClampCount(emasterRead ? EmasterCount() : -1)));
    if (xmaster_.Open(FindFile(directory, kXmasterName), StoreFile::Mode::Update)) {
        const bool xmasterRead = xmaster_.ReadHeader(xmasterHeader_);
        SetXmasterCount(xmaster_.ClampCount(xmasterRead ? XmasterCount() : -1));
    }
    return Result::Ok;
}

void StoreWriter::Close() {
    ClosePriceFile();
    master_.Close();
    emaster_.Close();
    xmaster_.Close();
    masterHeader_ = {};
    emasterHeader_ = {};
    xmasterHeader_ = {};
}

Result StoreWriter::CreateDirectory(const std::filesystem::path& directory) {
    Close();
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    for (const auto& [name, headerSize] :
         {std::pair{kMasterName, m::kHeaderSize}, std::pair{kEmasterName, e::kHeaderSize}}) {
        const std::filesystem::path path = FindFile(directory, name);
        const bool exists = std::filesystem::exists(path, error);
        StoreFile file;
        if (exists) {
            if (!file.Open(path, StoreFile::Mode::Update)) return Result::Failed;
            continue;
        }
        const std::vector<std::uint8_t> header(headerSize, 0);
        if (!file.Open(path, StoreFile::Mode::Create) || !file.WriteAt(0, header)) {
            file.Close();
            RemoveFileQuietly(path);
            return Result::Failed;
        }
    }
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
    if (!master_.IsOpen() || !emaster_.IsOpen()) return Result::Failed;
    const std::optional<Slot> slot = ChooseSlot();
    if (!slot) return Result::Failed;
    if (slot->extended && !xmaster_.IsOpen() && CreateXmaster() != Result::Ok)
        return Result::Failed;

    // The price file comes first, so no index record ever names a missing file.
    const std::filesystem::path path =
        FindFile(directory_, PriceFileName(slot->fileNumber, slot->extended));
    PriceFile priceFile;
    if (!priceFile.Create(path)) return Result::Failed;
    priceFile.Close();

    NewEntry entry{symbol, name, periodicity, slot->fileNumber, firstDate, lastDate};
    Result result;
    if (slot->extended) {
        entry.firstDate = ToLongDate(firstDate);
        entry.lastDate = ToLongDate(lastDate);
        result = AddExtendedEntry(entry);
    } else {
        auto shortDate = [](std::int32_t date) {
            return date > 19'000'000 ? TruncateToInt(ToShortDate(date)) : date;
        };
        entry.firstDate = shortDate(firstDate);
        entry.lastDate = shortDate(lastDate);
        result = AddLowEntry(entry, slot->raisesHighest);
    }
    if (result != Result::Ok) {
        RemoveFileQuietly(path);
        return Result::Failed;
    }
    outPath = path;
    return Result::Ok;
}

std::optional<StoreWriter::Slot> StoreWriter::ChooseSlot() {
    if (MasterCount() < m::kMaxLowEntries) {
        const std::uint16_t highest = DecodeU16(masterHeader_, m::kHighestNumber);
        if (highest < m::kMaxLowEntries)
            return Slot{static_cast<std::uint16_t>(highest + 1), false, true};
        if (auto free = LowestFreeLowNumber()) return Slot{*free, false, false};
        return std::nullopt;
    }
    const std::uint32_t next =
        xmaster_.IsOpen() ? std::max(DecodeU32(xmasterHeader_, x::kNextNumber), x::kFirstNumber)
                          : x::kFirstNumber;
    if (next > x::kMaxFileNumber) return std::nullopt;
    return Slot{static_cast<std::uint16_t>(next), true, false};
}

std::optional<std::uint16_t> StoreWriter::LowestFreeLowNumber() {
    std::bitset<256> held;
    MasterRecord record{};
    for (std::uint32_t i = 0; i < MasterCount(); ++i) {
        if (!master_.ReadRecord(i, record)) return std::nullopt;
        held.set(record[m::kFileNumber]);
    }
    for (std::uint16_t number = 1; number <= m::kMaxLowEntries; ++number)
        if (!held.test(number)) return number;
    return std::nullopt;
}

Result StoreWriter::CreateXmaster() {
    XmasterHeader header{};
    std::copy(x::kMagic.begin(), x::kMagic.end(), header.begin());
    EncodeU32(header, x::kNextNumber, x::kFirstNumber);
    if (!xmaster_.Open(FindFile(directory_, kXmasterName), StoreFile::Mode::Create) ||
        !xmaster_.WriteHeader(header)) {
        xmaster_.Close();
        return Result::Failed;
    }
    xmasterHeader_ = header;
    return Result::Ok;
}

Result StoreWriter::AddLowEntry(const NewEntry& entry, bool raisesHighest) {
    MasterHeader masterHeader = masterHeader_;
    EmasterHeader emasterHeader = emasterHeader_;
    EncodeU16(masterHeader, m::kCount, static_cast<std::uint16_t>(MasterCount() + 1));
    EncodeU16(emasterHeader, e::kCount, static_cast<std::uint16_t>(EmasterCount() + 1));
    if (raisesHighest) {
        EncodeU16(masterHeader, m::kHighestNumber, entry.fileNumber);
        EncodeU16(emasterHeader, e::kHighestNumber, entry.fileNumber);
    }
    // Each record is written before the count that takes it in.
    if (!master_.WriteRecord(MasterCount(), BuildMasterRecord(entry)) ||
        !master_.WriteHeader(masterHeader))
        return Result::Failed;
    if (!emaster_.WriteRecord(EmasterCount(), BuildEmasterRecord(entry)) ||
        !emaster_.WriteHeader(emasterHeader)) {
        // Keep MASTER and EMASTER in step: MASTER forgets the new record.
        (void)master_.WriteHeader(masterHeader_);
        return Result::Failed;
    }
    masterHeader_ = masterHeader;
    emasterHeader_ = emasterHeader;
    return Result::Ok;
}

Result StoreWriter::AddExtendedEntry(const NewEntry& entry) {
    XmasterHeader header = xmasterHeader_;
    const std::uint32_t count = XmasterCount() + 1;
    EncodeU32(header, x::kCountCopy, count);
    EncodeU32(header, x::kCount, count);
    EncodeU32(header, x::kNextNumber, entry.fileNumber + 1u);
    if (!xmaster_.WriteRecord(XmasterCount(), BuildXmasterRecord(entry)) ||
        !xmaster_.WriteHeader(header))
        return Result::Failed;
    xmasterHeader_ = header;
    return Result::Ok;
}

Result StoreWriter::RenameSecurity(const std::string& currentSymbol, const std::string& newName,
                                   const std::string& newSymbol) {
    if (!master_.IsOpen()) return Result::Failed;
    // Two entries with one symbol would hide the second from every lookup.
    if (!EqualsNoCase(currentSymbol, newSymbol) && PriceFilePathOf(newSymbol)) {
        prompt_.Show(kSecurityExists + newSymbol, kStoreCaption, PromptIcon::None,
                     PromptButtons::Ok);
        return Result::Failed;
    }
    if (auto index = FindMaster(currentSymbol)) {
        MasterRecord record{};
        if (!master_.ReadRecord(*index, record)) return Result::Failed;
        SetMasterText(record, newSymbol, newName);
        if (!master_.WriteRecord(*index, record)) return Result::Failed;
    }
    if (!emaster_.IsOpen()) return Result::Failed;
    if (auto index = FindEmaster(currentSymbol)) {
        EmasterRecord record{};
        if (!emaster_.ReadRecord(*index, record)) return Result::Failed;
        SetEmasterText(record, newSymbol, newName);
        return FromBool(emaster_.WriteRecord(*index, record));
    }
    if (!xmaster_.IsOpen()) return Result::Failed;
    if (auto index = FindXmaster(currentSymbol)) {
        XmasterRecord record{};
        if (!xmaster_.ReadRecord(*index, record)) return Result::Failed;
        SetXmasterText(record, newSymbol, newName);
        return FromBool(xmaster_.WriteRecord(*index, record));
    }
    return NotFound(currentSymbol);
}

Result StoreWriter::UpdateSecurityInfo(const std::string& symbol, std::int32_t firstDate,
                                       std::int32_t lastDate, char periodicity) {
    if (!master_.IsOpen()) return Result::Failed;
    if (auto index = FindMaster(symbol)) {
        MasterRecord record{};
        if (!master_.ReadRecord(*index, record)) return Result::Failed;
        SetMasterInfo(record, firstDate, lastDate, periodicity);
        if (!master_.WriteRecord(*index, record)) return Result::Failed;
    }
    if (!emaster_.IsOpen()) return Result::Failed;
    if (auto index = FindEmaster(symbol)) {
        EmasterRecord record{};
        if (!emaster_.ReadRecord(*index, record)) return Result::Failed;
        SetEmasterInfo(record, firstDate, lastDate, periodicity);
        return FromBool(emaster_.WriteRecord(*index, record));
    }
    if (!xmaster_.IsOpen()) return Result::Failed;
    if (auto index = FindXmaster(symbol)) {
        XmasterRecord record{};
        if (!xmaster_.ReadRecord(*index, record)) return Result::Failed;
        SetXmasterInfo(record, firstDate, lastDate, periodicity);
        return FromBool(xmaster_.WriteRecord(*index, record));
    }
    return NotFound(symbol);
}

Result StoreWriter::DeleteSecurity(const std::string& symbol) {
    if (!master_.IsOpen() || !emaster_.IsOpen()) return Result::Failed;
    const std::optional<std::uint32_t> masterIndex = FindMaster(symbol);
    if (auto emasterIndex = FindEmaster(symbol)) return DeleteLowEntry(masterIndex, *emasterIndex);
    if (!xmaster_.IsOpen()) return Result::Failed;
    if (auto index = FindXmaster(symbol)) return DeleteExtendedEntry(*index);
    return NotFound(symbol);
}

Result StoreWriter::DeleteLowEntry(std::optional<std::uint32_t> masterIndex,
                                   std::uint32_t emasterIndex) {
    EmasterRecord record{};
    if (!emaster_.ReadRecord(emasterIndex, record)) return Result::Failed;
    const std::uint16_t fileNumber = DecodeU16(record, e::kFileNumber);
    const std::filesystem::path priceFile = FindFile(directory_, PriceFileName(fileNumber, false));
    // Records go before their counts and the price file goes last: a failure
    // part-way leaves at worst an orphan file, never an entry without one.
    if (masterIndex && !master_.RemoveRecord(*masterIndex)) return Result::Failed;
    if (!emaster_.RemoveRecord(emasterIndex)) return Result::Failed;
    if (HasExtendedEntries()) {
        RemoveFileQuietly(priceFile);
        return MoveFirstExtendedInto(fileNumber);
    }
    const Result result = ShrinkLowCounts(masterIndex.has_value());
    RemoveFileQuietly(priceFile);
    return result;
}

Result StoreWriter::ShrinkLowCounts(bool masterMatched) {
    if (masterMatched) {
        EncodeU16(masterHeader_, m::kCount, static_cast<std::uint16_t>(MasterCount() - 1));
        if (!master_.WriteHeader(masterHeader_)) return Result::Failed;
        if (MasterCount() == 0) {
            master_.Close();
            RemoveFileQuietly(master_.Path());
        }
    }
    EncodeU16(emasterHeader_, e::kCount, static_cast<std::uint16_t>(EmasterCount() - 1));
    if (!emaster_.WriteHeader(emasterHeader_)) return Result::Failed;
    if (EmasterCount() == 0) {
        emaster_.Close();
        RemoveFileQuietly(emaster_.Path());
    }
    return Result::Ok;
}

// The first extended entry takes over the freed low file number, so the low
// files stay full while XMASTER has entries. Counts and highest numbers stay.
Result StoreWriter::MoveFirstExtendedInto(std::uint16_t fileNumber) {
    XmasterRecord first{};
    if (!xmaster_.ReadRecord(0, first)) return Result::Failed;
    const SecurityRecord moved = DecodeXmasterRecord(first);
    const NewEntry entry{moved.symbol,
                         moved.name.substr(0, m::kNameWidth),
                         moved.periodicity,
                         fileNumber,
                         TruncateToInt(ToShortDate(moved.firstDate)),
                         TruncateToInt(ToShortDate(moved.lastDate)),
                         true};
    const std::filesystem::path from = FindFile(directory_, moved.PriceFileName());
    const std::filesystem::path to = directory_ / PriceFileName(fileNumber, false);
    if (!MoveFile(from, to)) return Result::Failed;
    if (!master_.WriteRecord(master_.RecordsPresent(), BuildMasterRecord(entry)) ||
        !emaster_.WriteRecord(emaster_.RecordsPresent(), BuildEmasterRecord(entry)))
        return Result::Failed;
    return RemoveXmasterRecord(0);
}

Result StoreWriter::DeleteExtendedEntry(std::uint32_t index) {
    XmasterRecord record{};
    if (!xmaster_.ReadRecord(index, record)) return Result::Failed;
    const std::filesystem::path priceFile =
        FindFile(directory_, PriceFileName(DecodeU16(record, x::kFileNumber), true));
    const Result result = RemoveXmasterRecord(index);
    if (result == Result::Ok) RemoveFileQuietly(priceFile);
    return result;
}

Result StoreWriter::RemoveXmasterRecord(std::uint32_t index) {
    if (!xmaster_.RemoveRecord(index)) return Result::Failed;
    SetXmasterCount(XmasterCount() - 1);
    if (!xmaster_.WriteHeader(xmasterHeader_)) return Result::Failed;
    if (XmasterCount() == 0) {
        xmaster_.Close();
        RemoveFileQuietly(xmaster_.Path());
    }
    return Result::Ok;
}

Result StoreWriter::OpenPriceFileBySymbol(const std::string& symbol) {
    return OpenPriceFileForWrite(symbol, false);
}

Result StoreWriter::OpenPriceFileForWrite(const std::string& symbol, bool create) {
    ClosePriceFile();
    const std::optional<std::filesystem::path> path = PriceFilePathOf(symbol);
    if (!path) return Result::Failed;
    return FromBool(create ? priceFile_.Create(*path)
                           : priceFile_.Open(*path, StoreFile::Mode::Update));
}

void StoreWriter::ClosePriceFile() {
    priceFile_.Close();
}

Result StoreWriter::AppendBar(const PriceBar& bar) {
    return FromBool(priceFile_.Append(bar));
}

Result StoreWriter::AppendBars(std::span<const PriceBar> bars) {
    return FromBool(priceFile_.AppendMany(bars));
}

Result StoreWriter::OverwriteLastBar(const PriceBar& bar) {
    return FromBool(priceFile_.OverwriteLast(bar));
}

std::optional<std::int32_t> StoreWriter::GetFirstBarDate() {
    return priceFile_.FirstBarDate();
}

std::optional<std::int32_t> StoreWriter::GetLastBarDate() {
    return priceFile_.LastBarDate();
}

std::optional<std::filesystem::path> StoreWriter::PriceFilePathOf(const std::string& symbol) {
    if (!emaster_.IsOpen()) return std::nullopt;
    EmasterRecord low{};
    if (auto index = FindEmaster(symbol); index && emaster_.ReadRecord(*index, low))
        return FindFile(directory_, PriceFileName(DecodeU16(low, e::kFileNumber), false));
    XmasterRecord extended{};
    if (!xmaster_.IsOpen()) return std::nullopt;
    if (auto index = FindXmaster(symbol); index && xmaster_.ReadRecord(*index, extended))
        return FindFile(directory_, PriceFileName(DecodeU16(extended, x::kFileNumber), true));
    return std::nullopt;
}

std::optional<std::uint32_t> StoreWriter::FindMaster(const std::string& symbol) {
    return FindRecord<MasterRecord>(master_, MasterCount(), symbol, MasterSymbolMatches);
}

std::optional<std::uint32_t> StoreWriter::FindEmaster(const std::string& symbol) {
    return FindRecord<EmasterRecord>(emaster_, EmasterCount(), symbol, EmasterSymbolMatches);
}

std::optional<std::uint32_t> StoreWriter::FindXmaster(const std::string& symbol) {
    return FindRecord<XmasterRecord>(xmaster_, XmasterCount(), symbol, XmasterSymbolMatches);
}

std::uint16_t StoreWriter::MasterCount() const {
    return DecodeU16(masterHeader_, m::kCount);
}

std::uint16_t StoreWriter::EmasterCount() const {
    return DecodeU16(emasterHeader_, e::kCount);
}

std::uint32_t StoreWriter::XmasterCount() const {
    return DecodeU32(xmasterHeader_, x::kCount);
}

void StoreWriter::SetXmasterCount(std::uint32_t count) {
    EncodeU32(xmasterHeader_, x::kCountCopy, count);
    EncodeU32(xmasterHeader_, x::kCount, count);
}

bool StoreWriter::HasExtendedEntries() const {
    return xmaster_.IsOpen() && XmasterCount() > 0;
}

Result StoreWriter::NotFound(const std::string& symbol) {
    prompt_.Show(kCanNotFindSecurity + symbol, kStoreCaption, PromptIcon::None, PromptButtons::Ok);
    return Result::Failed;
}

}  // namespace corvane
