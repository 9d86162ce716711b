#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "StoreFile.h"

namespace corvane {

// An index file (MASTER, EMASTER or XMASTER) opened for reading: a header
// followed by fixed-size records. Record positions count from 0 here.
class IndexFile {
public:
    IndexFile(std::size_t headerSize, std::size_t recordSize);

    [[nodiscard]] bool Open(const std::filesystem::path& path, StoreFile::Mode mode);
    void Close() { file_.Close(); }
    bool IsOpen() const { return file_.IsOpen(); }
    const std::filesystem::path& Path() const { return file_.Path(); }

    // Whole records the file holds after its header, whatever the header says.
    std::uint32_t RecordsPresent();
    // A stored count, trusted only as far as the records are really there.
    std::uint32_t ClampCount(std::int64_t storedCount);

    [[nodiscard]] bool ReadHeader(std::span<std::uint8_t> header);
    [[nodiscard]] bool ReadRecord(std::uint32_t index, std::span<std::uint8_t> record);
    // `count` records from `first` on, in one read.
    [[nodiscard]] bool ReadRecords(std::uint32_t first, std::uint32_t count,
                                   std::vector<std::uint8_t>& records);

    // Sequential reading of records from the first.
    void Rewind();
    [[nodiscard]] bool ReadNextRecord(std::span<std::uint8_t> record);

private:
    std::uint64_t OffsetOf(std::uint32_t index) const;

    std::size_t headerSize_;
    std::size_t recordSize_;
    StoreFile file_;
};

}  // namespace corvane
