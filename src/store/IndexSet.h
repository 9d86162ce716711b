#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Layout.h"
#include "NativeFile.h"
#include "Result.h"
#include "SecurityRecord.h"

namespace corvane {

// One index file held whole in memory: its header, the records its count
// takes in, and whatever bytes follow them (kept as found).
class IndexImage {
public:
    IndexImage(std::size_t headerSize, std::size_t recordSize)
        : header_(headerSize, 0), recordSize_(recordSize) {}

    // The stored count is trusted only as far as whole records are present.
    void Load(std::vector<std::uint8_t> bytes, std::int64_t storedCount);
    // The header alone, of a file of `fileSize` bytes: the image counts what
    // the file holds but has no records (Count() is 0).
    void LoadHeader(std::vector<std::uint8_t> header, std::uint64_t fileSize,
                    std::int64_t storedCount);
    bool HeaderOnly() const { return headerOnly_; }
    std::uint32_t Count() const {
        return static_cast<std::uint32_t>(records_.size() / recordSize_);
    }
    // The count the header held when loaded; -1 when the header was short.
    std::int64_t StoredCount() const { return storedCount_; }
    // Bytes after the last whole record.
    std::size_t LooseBytes() const { return looseBytes_; }
    // The header as it was on disk, before any count was set.
    std::span<const std::uint8_t> RawHeader() const { return rawHeader_; }
    // Takes in every whole record present, counted or not.
    void CountAllRecords();
    // Whole records present after the header, counted or not.
    std::uint32_t RecordsPresent() const { return presentRecords_; }
    // Nothing follows the records the header counts.
    bool EndsWithRecords() const { return tail_.empty(); }

    std::span<std::uint8_t> Header() { return header_; }
    std::span<const std::uint8_t> Header() const { return header_; }
    std::span<std::uint8_t> Record(std::uint32_t index) {
        return std::span(records_).subspan(index * recordSize_, recordSize_);
    }
    std::span<const std::uint8_t> Record(std::uint32_t index) const {
        return std::span(records_).subspan(index * recordSize_, recordSize_);
    }
    std::uint64_t OffsetOf(std::uint32_t index) const {
        return header_.size() + static_cast<std::uint64_t>(index) * recordSize_;
    }
    void Append(std::span<const std::uint8_t> record);
    void Remove(std::uint32_t index);
    std::vector<std::uint8_t> Bytes() const;

    // The file as loaded, as far as a check of it can tell: its header as it
    // was on disk, its records and what follows them, and its counts.
    struct Loaded {
        std::vector<std::uint8_t> bytes;
        std::int64_t storedCount = 0;
        std::uint32_t presentRecords = 0;
        std::size_t looseBytes = 0;
    };
    Loaded AsLoaded() const;
    // Whether AsLoaded() would equal `loaded`, without making it.
    bool IsAsLoaded(const Loaded& loaded) const;

private:
    std::vector<std::uint8_t> header_;
    std::vector<std::uint8_t> records_;
    std::vector<std::uint8_t> tail_;
    std::size_t recordSize_;
    std::uint32_t presentRecords_ = 0;
    std::int64_t storedCount_ = 0;
    std::size_t looseBytes_ = 0;
    std::vector<std::uint8_t> rawHeader_;
    bool headerOnly_ = false;
};

// Where an entry stands in the index files.
struct EntryPlace {
    std::optional<std::uint32_t> master;  // a low entry's MASTER record, when MASTER has it
    std::uint32_t index = 0;              // its EMASTER or XMASTER record
    bool extended = false;
};

// Index files kept open, for writing records in place.
struct IndexHandles {
    NativeFile master;
    NativeFile emaster;
    NativeFile xmaster;
};

// The index files of a data directory read whole, for a writer to change and
// write back. Header counts in the images are the counts of their records.
class IndexSet {
public:
    // Fails, with a reason, when MASTER or EMASTER is missing or cannot be
    // read and written, or XMASTER exists but cannot be. With `keep` the
    // files stay open in it; with `readOnly` they need only be readable;
    // without `xmasterRecords` only XMASTER's header is read.
    Result Load(const std::filesystem::path& directory, IndexHandles* keep = nullptr,
                bool readOnly = false, bool xmasterRecords = true);
    const std::string& Problem() const { return problem_; }

    IndexImage master{layout::master::kHeaderSize, layout::master::kRecordSize};
    IndexImage emaster{layout::emaster::kHeaderSize, layout::emaster::kRecordSize};
    IndexImage xmaster{layout::xmaster::kHeaderSize, layout::xmaster::kRecordSize};
    bool hasXmaster = false;
    std::filesystem::path masterPath, emasterPath, xmasterPath;

    std::optional<EntryPlace> FindSymbol(const std::string& symbol) const;
    // Every entry in store order with its place.
    std::vector<std::pair<EntryPlace, SecurityRecord>> Entries() const;
    std::optional<EntryPlace> FindPriceFile(const std::string& fileName) const;
    SecurityRecord Entry(const EntryPlace& place) const;
    // The bytes of an entry's records: its MASTER record, when MASTER has
    // one, and its EMASTER record; or its XMASTER record.
    std::vector<std::uint8_t> EntryBytes(const EntryPlace& place) const;
    // Sets an entry's dates (CYYMMDD) and periodicity in its records.
    void SetInfo(const EntryPlace& place, std::int32_t first, std::int32_t last, char periodicity);
    // Writes an entry's records in place through the files held in `handles`.
    bool WriteEntry(const EntryPlace& place, IndexHandles& handles) const;
    // Writes the counts of the images into their headers.
    void StampCounts();

private:
    std::optional<std::uint32_t> MasterRecordOf(std::uint16_t fileNumber) const;
    std::string problem_;
};

}  // namespace corvane
