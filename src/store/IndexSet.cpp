#include "IndexSet.h"

#include <algorithm>

#include "Coding.h"
#include "DirectoryFiles.h"
#include "IndexRecords.h"
#include "NativeFile.h"

namespace corvane {
namespace {

namespace m = layout::master;
namespace e = layout::emaster;
namespace x = layout::xmaster;

// The whole file, or its first `limit` bytes, opened for reading and writing
// so that a file the user made read-only is refused before anything is
// changed; `why` says what failed. `size` receives the file's size.
std::optional<std::vector<std::uint8_t>> ReadWhole(const std::filesystem::path& path,
                                                   NativeFile& file, bool readOnly,
                                                   std::string& why,
                                                   std::uint64_t limit = UINT64_MAX,
                                                   std::uint64_t* fileSize = nullptr) {
    const std::string name = path.filename().string();
    const char* access = readOnly ? " cannot be read: " : " cannot be read and written: ";
    const auto size = file.Open(path, readOnly ? NativeFile::Mode::Read : NativeFile::Mode::Update)
                          ? file.Size()
                          : std::nullopt;
    std::vector<std::uint8_t> bytes;
    if (size && *size > layout::kMaxIndexFileBytes) {
        why = name + " is far too large to be an index file (" + std::to_string(*size) + " bytes)";
        return std::nullopt;
    }
    if (size) bytes.resize(static_cast<std::size_t>(std::min(*size, limit)));
    if (!size || !file.ReadAt(0, bytes)) {
        why = name + access + LastFileError();
        return std::nullopt;
    }
    if (fileSize != nullptr) *fileSize = *size;
    return bytes;
}

}  // namespace

void IndexImage::Load(std::vector<std::uint8_t> bytes, std::int64_t storedCount) {
    headerOnly_ = false;
    std::fill(header_.begin(), header_.end(), 0);
    std::copy_n(bytes.begin(), std::min(bytes.size(), header_.size()), header_.begin());
    const std::size_t body = bytes.size() > header_.size() ? bytes.size() - header_.size() : 0;
    presentRecords_ = static_cast<std::uint32_t>(body / recordSize_);
    storedCount_ = storedCount;
    looseBytes_ = body % recordSize_;
    rawHeader_ = header_;
    const std::uint32_t count = storedCount < 0 || storedCount > presentRecords_
                                    ? presentRecords_
                                    : static_cast<std::uint32_t>(storedCount);
    const auto recordsBegin =
        bytes.begin() + static_cast<long>(std::min(bytes.size(), header_.size()));
    const auto recordsEnd = recordsBegin + static_cast<long>(count * recordSize_);
    records_.assign(recordsBegin, recordsEnd);
    tail_.assign(recordsEnd, bytes.end());
}

void IndexImage::LoadHeader(std::vector<std::uint8_t> header, std::uint64_t fileSize,
                            std::int64_t storedCount) {
    Load(std::move(header), storedCount);
    const std::uint64_t body = fileSize > header_.size() ? fileSize - header_.size() : 0;
    presentRecords_ = static_cast<std::uint32_t>(body / recordSize_);
    looseBytes_ = body % recordSize_;
    headerOnly_ = true;
}

void IndexImage::CountAllRecords() {
    const std::size_t whole = tail_.size() / recordSize_ * recordSize_;
    records_.insert(records_.end(), tail_.begin(), tail_.begin() + static_cast<long>(whole));
    tail_.erase(tail_.begin(), tail_.begin() + static_cast<long>(whole));
}

void IndexImage::Append(std::span<const std::uint8_t> record) {
    records_.insert(records_.end(), record.begin(), record.end());
}

void IndexImage::Remove(std::uint32_t index) {
    const auto begin = records_.begin() + static_cast<long>(index * recordSize_);
    records_.erase(begin, begin + static_cast<long>(recordSize_));
}

std::vector<std::uint8_t> IndexImage::Bytes() const {
    std::vector<std::uint8_t> bytes = header_;
    bytes.insert(bytes.end(), records_.begin(), records_.end());
    bytes.insert(bytes.end(), tail_.begin(), tail_.end());
    return bytes;
}

IndexImage::Loaded IndexImage::AsLoaded() const {
    Loaded loaded{rawHeader_, storedCount_, presentRecords_, looseBytes_};
    loaded.bytes.insert(loaded.bytes.end(), records_.begin(), records_.end());
    loaded.bytes.insert(loaded.bytes.end(), tail_.begin(), tail_.end());
    return loaded;
}

bool IndexImage::IsAsLoaded(const Loaded& loaded) const {
    if (loaded.storedCount != storedCount_ || loaded.presentRecords != presentRecords_ ||
        loaded.looseBytes != looseBytes_ ||
        loaded.bytes.size() != rawHeader_.size() + records_.size() + tail_.size())
        return false;
    auto at = loaded.bytes.begin();
    for (const std::vector<std::uint8_t>* part : {&rawHeader_, &records_, &tail_}) {
        if (!std::equal(part->begin(), part->end(), at)) return false;
        at += static_cast<long>(part->size());
    }
    return true;
}

Result IndexSet::Load(const std::filesystem::path& directory, IndexHandles* keep, bool readOnly,
                      bool xmasterRecords) {
    IndexHandles opened;
    masterPath = FindFile(directory, kMasterName);
    emasterPath = FindFile(directory, kEmasterName);
    xmasterPath = FindFile(directory, kXmasterName);
    for (const auto* path : {&masterPath, &emasterPath}) {
        if (!PathExists(*path)) {
            problem_ = path->filename().string() + " is missing";
            return Result::Failed;
        }
    }
    auto masterBytes = ReadWhole(masterPath, opened.master, readOnly, problem_);
    if (!masterBytes) return Result::Failed;
    auto emasterBytes = ReadWhole(emasterPath, opened.emaster, readOnly, problem_);
    if (!emasterBytes) return Result::Failed;
    auto u16Count = [](const std::vector<std::uint8_t>& bytes) -> std::int64_t {
        return bytes.size() >= 2 ? DecodeU16(bytes, 0) : -1;
    };
    const std::int64_t masterCount = u16Count(*masterBytes);
    const std::int64_t emasterCount = u16Count(*emasterBytes);
    master.Load(std::move(*masterBytes), masterCount);
    emaster.Load(std::move(*emasterBytes), emasterCount);
    hasXmaster = PathExists(xmasterPath);
    if (hasXmaster) {
        // An XMASTER that is there but cannot be read must not pass for none:
        // the next add would create it anew over the entries it holds.
        std::uint64_t size = 0;
        auto xmasterBytes =
            ReadWhole(xmasterPath, opened.xmaster, readOnly, problem_,
                      xmasterRecords ? UINT64_MAX : std::uint64_t{x::kHeaderSize}, &size);
        if (!xmasterBytes) return Result::Failed;
        const std::int64_t count =
            xmasterBytes->size() >= x::kCount + 4 ? DecodeU32(*xmasterBytes, x::kCount) : -1;
        if (xmasterRecords)
            xmaster.Load(std::move(*xmasterBytes), count);
        else
            xmaster.LoadHeader(std::move(*xmasterBytes), size, count);
    }
    StampCounts();
    if (keep != nullptr) *keep = std::move(opened);
    return Result::Ok;
}

void IndexSet::StampCounts() {
    EncodeU16(master.Header(), m::kCount, static_cast<std::uint16_t>(master.Count()));
    EncodeU16(emaster.Header(), e::kCount, static_cast<std::uint16_t>(emaster.Count()));
    if (hasXmaster && !xmaster.HeaderOnly()) {
        EncodeU32(xmaster.Header(), x::kCountCopy, xmaster.Count());
        EncodeU32(xmaster.Header(), x::kCount, xmaster.Count());
    }
}

std::optional<EntryPlace> IndexSet::FindSymbol(const std::string& symbol) const {
    std::optional<std::uint32_t> masterIndex;
    for (std::uint32_t i = 0; i < master.Count() && !masterIndex; ++i)
        if (MasterSymbolMatches(master.Record(i), symbol)) masterIndex = i;
    for (std::uint32_t i = 0; i < emaster.Count(); ++i)
        if (EmasterSymbolMatches(emaster.Record(i), symbol))
            return EntryPlace{masterIndex, i, false};
    for (std::uint32_t i = 0; hasXmaster && i < xmaster.Count(); ++i)
        if (XmasterSymbolMatches(xmaster.Record(i), symbol))
            return EntryPlace{std::nullopt, i, true};
    return std::nullopt;
}

std::optional<EntryPlace> IndexSet::FindPriceFile(const std::string& fileName) const {
    for (std::uint32_t i = 0; i < emaster.Count(); ++i) {
        const std::uint16_t number = DecodeU16(emaster.Record(i), e::kFileNumber);
        if (EqualsNoCase(PriceFileName(number, false), fileName))
            return EntryPlace{MasterRecordOf(number), i, false};
    }
    for (std::uint32_t i = 0; hasXmaster && i < xmaster.Count(); ++i)
        if (EqualsNoCase(PriceFileName(DecodeU16(xmaster.Record(i), x::kFileNumber), true),
                         fileName))
            return EntryPlace{std::nullopt, i, true};
    return std::nullopt;
}

std::vector<std::pair<EntryPlace, SecurityRecord>> IndexSet::Entries() const {
    std::vector<std::pair<EntryPlace, SecurityRecord>> entries;
    for (std::uint32_t i = 0; i < emaster.Count(); ++i) {
        const EntryPlace place{i < master.Count() ? std::optional(i) : std::nullopt, i, false};
        entries.emplace_back(place, Entry(place));
    }
    for (std::uint32_t i = 0; hasXmaster && i < xmaster.Count(); ++i) {
        const EntryPlace place{std::nullopt, i, true};
        entries.emplace_back(place, Entry(place));
    }
    return entries;
}

std::vector<std::uint8_t> IndexSet::EntryBytes(const EntryPlace& place) const {
    if (place.extended) {
        const auto record = xmaster.Record(place.index);
        return {record.begin(), record.end()};
    }
    std::vector<std::uint8_t> bytes;
    if (place.master) {
        const auto record = master.Record(*place.master);
        bytes.assign(record.begin(), record.end());
    }
    const auto record = emaster.Record(place.index);
    bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

void IndexSet::SetInfo(const EntryPlace& place, std::int32_t first, std::int32_t last,
                       char periodicity) {
    if (place.extended) {
        SetXmasterInfo(xmaster.Record(place.index), first, last, periodicity);
        return;
    }
    if (place.master) SetMasterInfo(master.Record(*place.master), first, last, periodicity);
    SetEmasterInfo(emaster.Record(place.index), first, last, periodicity);
}

bool IndexSet::WriteEntry(const EntryPlace& place, IndexHandles& handles) const {
    if (place.extended)
        return handles.xmaster.WriteAt(xmaster.OffsetOf(place.index), xmaster.Record(place.index));
    if (place.master &&
        !handles.master.WriteAt(master.OffsetOf(*place.master), master.Record(*place.master)))
        return false;
    return handles.emaster.WriteAt(emaster.OffsetOf(place.index), emaster.Record(place.index));
}

SecurityRecord IndexSet::Entry(const EntryPlace& place) const {
    return place.extended ? DecodeXmasterRecord(xmaster.Record(place.index))
                          : DecodeEmasterRecord(emaster.Record(place.index));
}

std::optional<std::uint32_t> IndexSet::MasterRecordOf(std::uint16_t fileNumber) const {
    for (std::uint32_t i = 0; i < master.Count(); ++i)
        if (master.Record(i)[m::kFileNumber] == fileNumber) return i;
    return std::nullopt;
}

}  // namespace corvane
