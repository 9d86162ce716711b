#include "PriceFile.h"

#include <algorithm>
#include <type_traits>
#include <vector>

#include "Coding.h"
#include "NativeFile.h"

namespace corvane {
namespace {

namespace p = layout::price;

// u16 0, u16 1 (no records), 24 zero bytes.
std::array<std::uint8_t, p::kHeaderSize> EmptyHeader() {
    std::array<std::uint8_t, p::kHeaderSize> header{};
    EncodeU16(header, p::kCount, 1);
    return header;
}

}  // namespace

std::optional<PriceRecord> EncodePriceRecord(const PriceBar& bar) {
    const float fields[p::kFieldCount] = {static_cast<float>(bar.date),
                                          bar.open,
                                          bar.high,
                                          bar.low,
                                          bar.close,
                                          bar.volume,
                                          bar.openInterest};
    PriceRecord record{};
    for (int i = 0; i < p::kFieldCount; ++i) {
        const auto word = IeeeToMbf(fields[i]);
        if (!word) return std::nullopt;
        EncodeU32(record, 4 * static_cast<std::size_t>(i), *word);
    }
    return record;
}

int CountedBars(std::span<const std::uint8_t> header, std::uint64_t size) {
    const auto present = static_cast<int>(std::min<std::uint64_t>(
        size < p::kHeaderSize ? 0 : (size - p::kHeaderSize) / p::kRecordSize, p::kMaxRecords + 1));
    if (header.size() < p::kHeaderSize) return present;
    const int declared = static_cast<std::int16_t>(DecodeU16(header, p::kCount)) - 1;
    return (declared < 0 || declared > present) ? present : declared;
}

bool ReadPriceFile(const std::filesystem::path& path, std::vector<PriceBar>& bars) {
    // The file's whole records are read straight into the bars' storage, the
    // header in the first place, and each record is decoded where it lies, one
    // place towards the front: no buffer of its own, no copy.
    static_assert(sizeof(PriceBar) == p::kRecordSize && std::is_trivially_copyable_v<PriceBar>);
    NativeFile file;
    const auto size = file.Open(path, NativeFile::Mode::Read) ? file.Size() : std::nullopt;
    // Bytes past the largest count a header can state are never bars.
    constexpr std::uint64_t kLargest = p::kHeaderSize + (p::kMaxRecords + 1) * p::kRecordSize;
    const auto records =
        static_cast<std::size_t>(std::min(size.value_or(0), kLargest) / p::kRecordSize);
    bars.resize(records);
    const std::span bytes(reinterpret_cast<std::uint8_t*>(bars.data()), records * p::kRecordSize);
    if (!size || !file.ReadAt(0, bytes)) {
        bars.clear();
        return false;
    }
    const auto count = static_cast<std::size_t>(CountedBars(bytes, bytes.size()));
    PriceRecord record;
    for (std::size_t i = 0; i < count; ++i) {
        std::copy_n(bytes.begin() + static_cast<long>((i + 1) * p::kRecordSize), record.size(),
                    record.begin());
        bars[i] = DecodePriceRecord(record);
    }
    bars.resize(count);
    return true;
}

bool PriceFile::Open(const std::filesystem::path& path, StoreFile::Mode mode) {
    Close();
    if (!file_.Open(path, mode)) return false;
    std::array<std::uint8_t, p::kHeaderSize> header{};
    const bool headerRead = file_.ReadAt(0, header);
    barCount_ = CountedBars(
        headerRead ? std::span<const std::uint8_t>(header) : std::span<const std::uint8_t>(),
        file_.Size());
    remaining_ = barCount_;
    file_.Seek(p::kHeaderSize);
    return true;
}

bool PriceFile::Create(const std::filesystem::path& path) {
    Close();
    if (!file_.Open(path, StoreFile::Mode::CreateNew)) return false;
    if (!file_.WriteAt(0, EmptyHeader())) {
        Close();
        return false;
    }
    barCount_ = remaining_ = 0;
    return true;
}

void PriceFile::Close() {
    file_.Close();
    barCount_ = remaining_ = 0;
}

bool PriceFile::Append(const PriceBar& bar) {
    if (!IsOpen() || barCount_ >= p::kMaxRecords) return false;
    const auto record = EncodePriceRecord(bar);
    if (!record) return false;
    // The record goes first: if the count cannot be written after it, the
    // file still reads as it did.
    if (!file_.WriteAt(OffsetOf(barCount_), *record)) return false;
    std::array<std::uint8_t, 2> count{};
    EncodeU16(count, 0, static_cast<std::uint16_t>(barCount_ + 2));
    if (!file_.WriteAt(p::kCount, count)) return false;
    ++barCount_;
    return true;
}

bool PriceFile::AppendMany(std::span<const PriceBar> bars) {
    if (!IsOpen()) return false;
    std::vector<std::uint8_t> records;
    records.reserve(bars.size() * p::kRecordSize);
    int added = 0;
    bool allAdded = true;
    for (const PriceBar& bar : bars) {
        const auto record = EncodePriceRecord(bar);
        if (!record || barCount_ + added >= p::kMaxRecords) {
            allAdded = false;
            continue;
        }
        records.insert(records.end(), record->begin(), record->end());
        ++added;
    }
    if (added == 0) return allAdded;
    std::array<std::uint8_t, 2> count{};
    EncodeU16(count, 0, static_cast<std::uint16_t>(barCount_ + added + 1));
    if (!file_.WriteAt(OffsetOf(barCount_), records) || !file_.WriteAt(p::kCount, count))
        return false;
    barCount_ += added;
    return allAdded;
}

bool PriceFile::OverwriteLast(const PriceBar& bar) {
    if (!IsOpen() || barCount_ == 0) return false;
    const auto record = EncodePriceRecord(bar);
    return record && file_.WriteAt(OffsetOf(barCount_ - 1), *record);
}

bool PriceFile::DropUncountedTail() {
    const std::uint64_t end = OffsetOf(barCount_);
    return !IsOpen() || file_.Size() <= end || file_.Truncate(end);
}

std::optional<std::int32_t> PriceFile::FirstBarDate() {
    return DateOfBar(0);
}

std::optional<std::int32_t> PriceFile::LastBarDate() {
    return DateOfBar(barCount_ - 1);
}

std::optional<std::int32_t> PriceFile::DateOfBar(int index) {
    if (!IsOpen() || index < 0 || index >= barCount_) return std::nullopt;
    std::array<std::uint8_t, 4> date{};
    if (!file_.ReadAt(OffsetOf(index), date)) return std::nullopt;
    return TruncateToInt(MbfToIeee(DecodeU32(date, 0)));
}

std::uint64_t PriceFile::OffsetOf(int index) {
    return p::kHeaderSize + static_cast<std::uint64_t>(index) * p::kRecordSize;
}

}  // namespace corvane
