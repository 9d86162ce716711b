#include "IndexFile.h"

#include <algorithm>

namespace corvane {

IndexFile::IndexFile(std::size_t headerSize, std::size_t recordSize)
    : headerSize_(headerSize), recordSize_(recordSize) {}

bool IndexFile::Open(const std::filesystem::path& path, StoreFile::Mode mode) {
    return file_.Open(path, mode);
}

std::uint32_t IndexFile::RecordsPresent() {
    const std::uint64_t size = file_.Size();
    if (size <= headerSize_) return 0;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>((size - headerSize_) / recordSize_, UINT32_MAX));
}

std::uint32_t IndexFile::ClampCount(std::int64_t storedCount) {
    const std::uint32_t present = RecordsPresent();
    if (storedCount < 0 || storedCount > present) return present;
    return static_cast<std::uint32_t>(storedCount);
}

bool IndexFile::ReadHeader(std::span<std::uint8_t> header) {
    return file_.ReadAt(0, header);
}

bool IndexFile::ReadRecord(std::uint32_t index, std::span<std::uint8_t> record) {
    return file_.ReadAt(OffsetOf(index), record);
}

bool IndexFile::ReadRecords(std::uint32_t first, std::uint32_t count,
                            std::vector<std::uint8_t>& records) {
    records.resize(static_cast<std::size_t>(count) * recordSize_);
    return file_.ReadAt(OffsetOf(first), records);
}

void IndexFile::Rewind() {
    file_.Seek(headerSize_);
}

bool IndexFile::ReadNextRecord(std::span<std::uint8_t> record) {
    return file_.ReadNext(record);
}

std::uint64_t IndexFile::OffsetOf(std::uint32_t index) const {
    return headerSize_ + static_cast<std::uint64_t>(index) * recordSize_;
}

}  // namespace corvane
