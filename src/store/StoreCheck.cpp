#include "StoreCheck.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

#include "Coding.h"
#include "DirectoryChange.h"
#include "DirectoryFiles.h"
#include "DirectoryLock.h"
#include "IndexRecords.h"
#include "NativeFile.h"
#include "PriceFile.h"

namespace corvane {
namespace {

namespace m = layout::master;
namespace e = layout::emaster;
namespace x = layout::xmaster;
namespace p = layout::price;

constexpr std::chrono::milliseconds kCheckWait(3000);

// The first four bytes of the signature ("]\xFEXM"); MetaStock itself writes
// other values in the two after them.
bool HasXmasterSignature(std::span<const std::uint8_t> header) {
    return std::equal(x::kMagic.begin(), x::kMagic.begin() + 4, header.begin());
}

std::string Label(const SecurityRecord& entry) {
    return entry.symbol + " (" + entry.PriceFileName() + ")";
}

std::string Dates(std::int32_t first, std::int32_t last) {
    return std::to_string(ToLongDate(first)) + "-" + std::to_string(ToLongDate(last));
}

void CheckCount(const IndexImage& image, const std::string& name, std::vector<std::string>& out) {
    if (image.StoredCount() < 0) {
        out.push_back(name + ": the file is shorter than its header");
        return;
    }
    if (image.StoredCount() != image.RecordsPresent())
        out.push_back(name + ": its header counts " + std::to_string(image.StoredCount()) +
                      " records, the file holds " + std::to_string(image.RecordsPresent()));
    if (image.LooseBytes() > 0)
        out.push_back(name + ": " + std::to_string(image.LooseBytes()) +
                      " bytes after its last whole record");
}

void CheckXmasterHeader(const IndexSet& index, std::vector<std::string>& out) {
    const std::string name = NameOf(index.xmasterPath);
    const auto header = index.xmaster.Header();
    if (!HasXmasterSignature(header)) {
        out.push_back(name + ": not an XMASTER file (its signature is missing)");
        return;
    }
    const auto raw = index.xmaster.RawHeader();
    if (DecodeU32(raw, x::kCountCopy) != DecodeU32(raw, x::kCount))
        out.push_back(name + ": its two record counts differ (" +
                      std::to_string(DecodeU32(raw, x::kCountCopy)) + " and " +
                      std::to_string(DecodeU32(raw, x::kCount)) + ")");
    CheckCount(index.xmaster, name, out);
}

void CheckLowInStep(const IndexSet& index, std::vector<std::string>& out) {
    const std::string master = NameOf(index.masterPath), emaster = NameOf(index.emasterPath);
    if (index.master.Count() != index.emaster.Count())
        out.push_back(master + " lists " + std::to_string(index.master.Count()) + " securities, " +
                      emaster + " " + std::to_string(index.emaster.Count()));
    const std::uint32_t both = std::min(index.master.Count(), index.emaster.Count());
    for (std::uint32_t i = 0; i < both; ++i) {
        const auto low = index.emaster.Record(i);
        const auto record = index.master.Record(i);
        // MASTER's symbol by its lookup rule: up to the first NUL, then the first space.
        std::string_view symbol = TextField(record, m::kSymbol, m::kSymbolWidth);
        symbol = symbol.substr(0, symbol.find(' '));
        if (record[m::kFileNumber] == DecodeU16(low, e::kFileNumber) &&
            EqualsNoCase(symbol, TextField(low, e::kSymbol, e::kSymbolWidth)))
            continue;
        const SecurityRecord entry = DecodeEmasterRecord(low);
        out.push_back(master + " record " + std::to_string(i + 1) + " (" + std::string(symbol) +
                      ", " + PriceFileName(record[m::kFileNumber], false) + ") differs from " +
                      emaster + "'s (" + Label(entry) + ")");
    }
}

// Entries that share a price file or a symbol (without regard to case), each
// named against the first entry in store order that has it. Keys are sorted
// rather than kept in a map: a writer checks this on every open.
void CheckShared(const IndexSet& index, std::vector<std::string>& out) {
    struct Entry {
        std::string_view symbol;
        std::uint32_t file;  // file number, and 1 << 16 for an extended entry
    };
    std::vector<Entry> entries;
    entries.reserve(index.emaster.Count() + (index.hasXmaster ? index.xmaster.Count() : 0));
    for (std::uint32_t i = 0; i < index.emaster.Count(); ++i) {
        const auto record = index.emaster.Record(i);
        entries.push_back(
            {TextField(record, e::kSymbol, e::kSymbolWidth), DecodeU16(record, e::kFileNumber)});
    }
    for (std::uint32_t i = 0; index.hasXmaster && i < index.xmaster.Count(); ++i) {
        const auto record = index.xmaster.Record(i);
        entries.push_back({TextField(record, x::kSymbol, x::kSymbolWidth),
                           DecodeU16(record, x::kFileNumber) | 1u << 16});
    }
    // For each entry, the first entry with its key, or itself.
    auto firstOfKey = [&](const auto& keyOf) {
        std::vector<std::pair<decltype(keyOf(entries[0])), std::size_t>> keys;
        keys.reserve(entries.size());
        for (std::size_t k = 0; k < entries.size(); ++k) keys.emplace_back(keyOf(entries[k]), k);
        std::sort(keys.begin(), keys.end());
        std::vector<std::size_t> first(entries.size());
        for (std::size_t k = 0; k < keys.size(); ++k)
            first[keys[k].second] = k > 0 && keys[k].first == keys[k - 1].first
                                        ? first[keys[k - 1].second]
                                        : keys[k].second;
        return first;
    };
    if (entries.empty()) return;
    const auto firstOfFile = firstOfKey([](const Entry& entry) { return entry.file; });
    const auto firstOfSymbol = firstOfKey([](const Entry& entry) {
        std::array<char, 16> folded{};  // symbols have 14 bytes at most
        std::transform(entry.symbol.begin(), entry.symbol.end(), folded.begin(),
                       [](char c) { return UpperCase(c); });
        return folded;
    });
    auto fileName = [](const Entry& entry) {
        return PriceFileName(entry.file & 0xFFFF, entry.file >> 16 != 0);
    };
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const Entry& entry = entries[k];
        if (firstOfFile[k] != k)
            out.push_back(std::string(entries[firstOfFile[k]].symbol) + " and " +
                          std::string(entry.symbol) + " share the price file " + fileName(entry));
        if (firstOfSymbol[k] != k)
            out.push_back(std::string(entry.symbol) + " is listed twice (" +
                          fileName(entries[firstOfSymbol[k]]) + ", " + fileName(entry) + ")");
    }
}

// The bars of one entry against its header and its dates.
void CheckPrices(const std::filesystem::path& directory, const SecurityRecord& entry,
                 std::vector<std::string>& out) {
    const std::filesystem::path path = FindFile(directory, entry.PriceFileName());
    if (!PathExists(path)) {
        out.push_back(Label(entry) + ": the price file is missing");
        return;
    }
    NativeFile file;
    const auto size = file.Open(path, NativeFile::Mode::Read) ? file.Size() : std::nullopt;
    std::vector<std::uint8_t> bytes(size.value_or(0));
    if (!size || !file.ReadAt(0, bytes)) {
        out.push_back(Label(entry) + ": the price file cannot be read: " + LastFileError());
        return;
    }
    const std::size_t present =
        bytes.size() < p::kHeaderSize ? 0 : (bytes.size() - p::kHeaderSize) / p::kRecordSize;
    const int declared =
        bytes.size() < 4 ? -1 : static_cast<std::int16_t>(DecodeU16(bytes, p::kCount)) - 1;
    if (declared != static_cast<int>(present))
        out.push_back(Label(entry) + ": its header counts " + std::to_string(declared) +
                      " bars, the file holds " + std::to_string(present));
    const std::size_t bars = std::min<std::size_t>(present, std::max(declared, 0));
    std::int32_t previous = 0;
    int unordered = 0, inverted = 0;
    std::string firstUnordered, firstInverted;
    for (std::size_t k = 0; k < bars; ++k) {
        PriceRecord record;
        std::copy_n(bytes.begin() + static_cast<long>(p::kHeaderSize + k * p::kRecordSize),
                    record.size(), record.begin());
        const PriceBar bar = DecodePriceRecord(record);
        if (k > 0 && bar.date <= previous && unordered++ == 0)
            firstUnordered = std::to_string(ToLongDate(bar.date));
        if (bar.high < bar.low && inverted++ == 0)
            firstInverted = std::to_string(ToLongDate(bar.date));
        previous = bar.date;
        if (k == bars - 1 && bars > 0) {
            PriceRecord head;
            std::copy_n(bytes.begin() + p::kHeaderSize, head.size(), head.begin());
            const std::int32_t first = DecodePriceRecord(head).date;
            if (ToLongDate(first) != ToLongDate(entry.firstDate) ||
                ToLongDate(bar.date) != ToLongDate(entry.lastDate))
                out.push_back(Label(entry) + ": index dates " +
                              Dates(entry.firstDate, entry.lastDate) + ", bars " +
                              Dates(first, bar.date));
        }
    }
    if (unordered > 0)
        out.push_back(Label(entry) + ": " + std::to_string(unordered) +
                      " bars out of date order, the first on " + firstUnordered);
    if (inverted > 0)
        out.push_back(Label(entry) + ": " + std::to_string(inverted) +
                      " bars with their high below their low, the first on " + firstInverted);
}

bool IsPriceFileName(const std::string& name) {
    const std::string upper = UpperCase(name);
    if (upper.size() < 6 || upper[0] != 'F') return false;
    if (!upper.ends_with(".DAT") && !upper.ends_with(".MWD")) return false;
    const std::string digits = upper.substr(1, upper.size() - 5);
    return !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
}

void CheckLeftovers(const std::filesystem::path& directory, const IndexSet& index,
                    std::vector<std::string>& out) {
    std::set<std::string> named;
    for (const auto& [place, entry] : index.Entries())
        named.insert(UpperCase(entry.PriceFileName()));
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (IsPriceFileName(name) && !named.count(UpperCase(name)))
            out.push_back(name + ": no entry names this price file");
        if (name.ends_with(kStagedSuffix)) out.push_back(name + ": left by an unfinished change");
    }
}

// Header counts from the records (both copies in XMASTER).
void MendCounts(IndexSet& index, std::vector<std::string>& done) {
    auto mend = [&](IndexImage& image, const std::filesystem::path& path, bool copies) {
        const auto raw = image.RawHeader();
        const bool copiesDiffer =
            copies && DecodeU32(raw, x::kCountCopy) != DecodeU32(raw, x::kCount);
        if (image.StoredCount() == image.RecordsPresent() && !copiesDiffer) return;
        image.CountAllRecords();
        done.push_back(NameOf(path) + ": record count set to " +
                       std::to_string(image.RecordsPresent()) + " from the records");
    };
    mend(index.emaster, index.emasterPath, false);
    mend(index.master, index.masterPath, false);
    if (index.hasXmaster) mend(index.xmaster, index.xmasterPath, true);
}

// The file as it is on disk, for comparing the mended one with; nothing
// when it cannot be read (a file that is not there reads as empty).
std::optional<std::vector<std::uint8_t>> OnDisk(const std::filesystem::path& path) {
    if (!PathExists(path)) return std::vector<std::uint8_t>{};
    NativeFile file;
    const auto size = file.Open(path, NativeFile::Mode::Read) ? file.Size() : std::nullopt;
    std::vector<std::uint8_t> bytes(size.value_or(0));
    if (!size || !file.ReadAt(0, bytes)) return std::nullopt;
    return bytes;
}

// MASTER's records made again from EMASTER's, which readers go by.
void RebuildMaster(IndexSet& index, std::vector<std::string>& done) {
    IndexImage master(m::kHeaderSize, m::kRecordSize);
    std::vector<std::uint8_t> header(m::kHeaderSize, 0);
    std::uint16_t highest = DecodeU16(index.emaster.Header(), e::kHighestNumber);
    std::vector<MasterRecord> records;
    for (std::uint32_t i = 0; i < index.emaster.Count(); ++i) {
        const auto record = index.emaster.Record(i);
        const SecurityRecord entry = DecodeEmasterRecord(record);
        highest = std::max(highest, entry.fileNumber);
        records.push_back(
            BuildMasterRecord({entry.symbol, entry.name, entry.periodicity, entry.fileNumber,
                               entry.firstDate, entry.lastDate, record[e::kMovedMark] == '6'}));
    }
    EncodeU16(header, m::kHighestNumber, std::min<std::uint16_t>(highest, m::kMaxLowEntries));
    master.Load(header, 0);
    for (const MasterRecord& record : records) master.Append(record);
    index.master = master;
    done.push_back(NameOf(index.masterPath) + ": rebuilt from " + NameOf(index.emasterPath) + " (" +
                   std::to_string(records.size()) + " records)");
}

// Index dates from the bars, for every entry whose price file reads.
void MendDates(const std::filesystem::path& directory, IndexSet& index,
               std::vector<std::string>& done) {
    for (const auto& [place, entry] : index.Entries()) {
        PriceFile prices;
        if (!prices.Open(FindFile(directory, entry.PriceFileName()), StoreFile::Mode::Read))
            continue;
        const auto first = prices.FirstBarDate();
        const auto last = prices.LastBarDate();
        if (!first || !last ||
            (ToLongDate(*first) == ToLongDate(entry.firstDate) &&
             ToLongDate(*last) == ToLongDate(entry.lastDate)))
            continue;
        index.SetInfo(place, *first, *last, entry.periodicity);
        done.push_back(Label(entry) + ": dates set to " + Dates(*first, *last) + " from its bars");
    }
}

}  // namespace

std::vector<std::string> IndexDamage(const IndexSet& index) {
    std::vector<std::string> damage;
    CheckCount(index.emaster, NameOf(index.emasterPath), damage);
    CheckCount(index.master, NameOf(index.masterPath), damage);
    if (index.hasXmaster) CheckXmasterHeader(index, damage);
    CheckLowInStep(index, damage);
    CheckShared(index, damage);
    return damage;
}

std::vector<std::string> XmasterHeaderDamage(const IndexSet& index) {
    std::vector<std::string> damage;
    if (index.hasXmaster) CheckXmasterHeader(index, damage);
    return damage;
}

std::optional<std::string> IndexDamageOf(const std::filesystem::path& directory) {
    if (!PathExists(FindFile(directory, kEmasterName))) return std::nullopt;
    IndexSet index;
    if (index.Load(directory, nullptr, true) != Result::Ok) return index.Problem();
    std::vector<std::string> damage = IndexDamage(index);
    if (damage.empty()) return std::nullopt;
    return damage.front();
}

CheckReport CheckStore(const std::filesystem::path& directory) {
    CheckReport report;
    report.dataDirectory = PathExists(FindFile(directory, kEmasterName)) ||
                           PathExists(FindFile(directory, kMasterName));
    if (!report.dataDirectory) return report;
    DirectoryLock lock;
    if (!lock.Acquire(directory, DirectoryLock::Kind::Shared, kCheckWait)) {
        report.inUse = true;
        return report;
    }
    if (HasInterruptedChange(directory))
        report.findings.push_back(std::string(kIntentName) + ": a change was interrupted; " +
                                  "the next program to open the directory finishes it");
    IndexSet index;
    if (index.Load(directory, nullptr, true) != Result::Ok) {
        report.findings.push_back(index.Problem());
        return report;
    }
    for (std::string& line : IndexDamage(index)) report.findings.push_back(std::move(line));
    for (const auto& [place, entry] : index.Entries())
        CheckPrices(directory, entry, report.findings);
    CheckLeftovers(directory, index, report.findings);
    return report;
}

RepairReport RepairStore(const std::filesystem::path& directory, std::chrono::milliseconds wait) {
    RepairReport report;
    DirectoryLock lock;
    if (!lock.Acquire(directory, DirectoryLock::Kind::Exclusive, wait)) {
        report.inUse = true;
        report.result = Result::Failed;
        return report;
    }
    const bool interrupted = HasInterruptedChange(directory);
    if (FinishInterruptedChange(directory, report.failure) != Result::Ok) {
        report.result = Result::Failed;
        return report;
    }
    if (interrupted) report.done.push_back("finished the change a crash had interrupted");

    IndexSet index;
    const bool masterMissing = !PathExists(FindFile(directory, kMasterName)) &&
                               PathExists(FindFile(directory, kEmasterName));
    if (masterMissing) {
        // An empty MASTER to load; it is rebuilt from EMASTER below.
        NativeFile blank;
        if (!blank.Open(directory / kMasterName, NativeFile::Mode::CreateNew) ||
            !blank.WriteAt(0, std::vector<std::uint8_t>(m::kHeaderSize, 0))) {
            report.failure = "cannot create MASTER: " + LastFileError();
            report.result = Result::Failed;
            return report;
        }
    }
    if (index.Load(directory) != Result::Ok) {
        report.failure = index.Problem();
        report.result = Result::Failed;
        return report;
    }
    // An XMASTER without its signature is not ours to guess at: left as it is.
    const bool xmasterSound = index.hasXmaster && HasXmasterSignature(index.xmaster.Header());
    if (index.hasXmaster && !xmasterSound) index.hasXmaster = false;
    MendCounts(index, report.done);
    std::vector<std::string> outOfStep;
    CheckLowInStep(index, outOfStep);
    if (!outOfStep.empty() || masterMissing) {
        // Made anew, MASTER's own count needs no word of its own.
        std::erase_if(report.done, [&](const std::string& line) {
            return line.starts_with(NameOf(index.masterPath) + ": record count");
        });
        RebuildMaster(index, report.done);
    }
    MendDates(directory, index, report.done);
    index.StampCounts();

    DirectoryChange change(directory);
    std::vector<const std::filesystem::path*> files = {&index.emasterPath, &index.masterPath};
    if (index.hasXmaster) files.push_back(&index.xmasterPath);
    for (const std::filesystem::path* path : files) {
        const auto before = OnDisk(*path);
        if (!before) {
            report.failure = NameOf(*path) + " cannot be read: " + LastFileError();
            report.result = Result::Failed;
            report.done.clear();
            return report;
        }
        const IndexImage& image = path == &index.emasterPath  ? index.emaster
                                  : path == &index.masterPath ? index.master
                                                              : index.xmaster;
        change.Rewrite(NameOf(*path), *before, image.Bytes());
    }
    const auto fromDisk = [&](const std::string& name) {
        return RefreshEntryDates(directory, name) == Result::Ok;
    };
    report.result = change.Commit(report.failure, fromDisk, true);
    if (report.result != Result::Ok) report.done.clear();
    return report;
}

}  // namespace corvane
