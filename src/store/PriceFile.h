#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "Coding.h"
#include "Layout.h"
#include "PriceBar.h"
#include "StoreFile.h"

namespace corvane {

using PriceRecord = std::array<std::uint8_t, layout::price::kRecordSize>;

// Seven MBF singles; no value when a field is beyond MBF's range.
std::optional<PriceRecord> EncodePriceRecord(const PriceBar& bar);
inline PriceBar DecodePriceRecord(std::span<const std::uint8_t> record) {
    auto field = [&](std::size_t i) { return MbfToIeee(DecodeU32(record, 4 * i)); };
    return PriceBar{
        TruncateToInt(field(0)), field(1), field(2), field(3), field(4), field(5), field(6)};
}

// The bars a price file of `size` bytes holds by its header (`header`, 28
// bytes, or empty when it could not be read): the count field, trusted only
// as far as whole records are present.
int CountedBars(std::span<const std::uint8_t> header, std::uint64_t size);

// Every bar of the price file at `path`, read in one read. False, with no
// bars, when the file cannot be opened or read.
[[nodiscard]] bool ReadPriceFile(const std::filesystem::path& path, std::vector<PriceBar>& bars);

// One open price file: header, bar count and bar access.
class PriceFile {
public:
    // Opens an existing file. The bar count comes from the header, trusted
    // only as far as whole records are present.
    [[nodiscard]] bool Open(const std::filesystem::path& path, StoreFile::Mode mode);
    // Creates a file that does not exist yet and writes the empty header.
    [[nodiscard]] bool Create(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }
    [[nodiscard]] bool Sync() { return file_.Sync(); }
    [[nodiscard]] bool CopyPermissionsFrom(const std::filesystem::path& other) {
        return file_.CopyPermissionsFrom(other);
    }

    int BarCount() const { return barCount_; }
    int RemainingBars() const { return remaining_; }
    // Reads the next bar in file order; false, bar untouched, when none is left.
    [[nodiscard]] bool ReadNextBar(PriceBar& bar) {
        if (remaining_ <= 0) return false;
        --remaining_;
        PriceRecord record;
        if (!file_.ReadNext(record)) return false;
        bar = DecodePriceRecord(record);
        return true;
    }

    // Refused (false, file unchanged) for an unencodable value or a full file.
    [[nodiscard]] bool Append(const PriceBar& bar);
    // Appends in one write, then updates the count once. Bars MBF cannot hold
    // and bars past the file's capacity are left out; false when any was.
    [[nodiscard]] bool AppendMany(std::span<const PriceBar> bars);
    // Refused (false, file unchanged) for an unencodable value or a file with no bars.
    [[nodiscard]] bool OverwriteLast(const PriceBar& bar);
    // Cuts off bytes past the counted bars: records an append wrote before a
    // crash stopped it from counting them.
    [[nodiscard]] bool DropUncountedTail();
    std::optional<std::int32_t> FirstBarDate();
    std::optional<std::int32_t> LastBarDate();

private:
    std::optional<std::int32_t> DateOfBar(int index);
    static std::uint64_t OffsetOf(int index);

    StoreFile file_;
    int barCount_ = 0;
    int remaining_ = 0;
};

}  // namespace corvane
