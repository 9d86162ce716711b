#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "Clock.h"
#include "IndexFile.h"
#include "IndexRecords.h"
#include "Layout.h"
#include "PriceBar.h"
#include "PriceFile.h"
#include "Prompt.h"
#include "Result.h"

namespace corvane {

// Performs every change to a data directory. Not copyable; files close on
// destruction, though callers close them explicitly. Every operation returns
// Failed when a write does not complete; changes that take several writes
// are ordered so that a failure part-way leaves a directory that still opens
// and reads. One writer at a time per directory: its header copies are the
// truth while it is open.
class StoreWriter {
public:
    StoreWriter(Prompt& prompt, const Clock& clock);
    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;

    // Fails when MASTER or EMASTER cannot be opened for reading and writing.
    Result Open(const std::filesystem::path& directory);
    void Close();
    // Creates the folder and empty MASTER and EMASTER where missing; existing
    // files are left as they are. Leaves nothing open.
    Result CreateDirectory(const std::filesystem::path& directory);

    // New entry dated two years before today. Fails, creating nothing, when
    // no file number is free.
    Result AddSecurity(const std::string& symbol, const std::string& name, char periodicity);
    // Dates as YYYYMMDD or CYYMMDD; outPath receives the new price file's path.
    Result AddSecurityWithDates(const std::string& symbol, const std::string& name,
                                char periodicity, std::int32_t firstDate, std::int32_t lastDate,
                                std::filesystem::path& outPath);
    // Refused, with a message, when another entry already has newSymbol.
    Result RenameSecurity(const std::string& currentSymbol, const std::string& newName,
                          const std::string& newSymbol);
    Result DeleteSecurity(const std::string& symbol);
    // Dates as CYYMMDD.
    Result UpdateSecurityInfo(const std::string& symbol, std::int32_t firstDate,
                              std::int32_t lastDate, char periodicity);

    Result OpenPriceFileBySymbol(const std::string& symbol);
    // With create set the price file is emptied first.
    Result OpenPriceFileForWrite(const std::string& symbol, bool create);
    void ClosePriceFile();
    // Refused, file unchanged, for a value MBF cannot hold or a full file.
    Result AppendBar(const PriceBar& bar);
    // Many bars in one write; bars MBF cannot hold or past the file's
    // capacity are left out, and then the result is Failed.
    Result AppendBars(std::span<const PriceBar> bars);
    // Refused, file unchanged, for a value MBF cannot hold or a file with no bars.
    Result OverwriteLastBar(const PriceBar& bar);
    // Fail when no price file is open or it holds no bars.
    std::optional<std::int32_t> GetFirstBarDate();
    std::optional<std::int32_t> GetLastBarDate();

private:
    struct Slot {
        std::uint16_t fileNumber;
        bool extended;
        bool raisesHighest;  // a low number above every one assigned so far
    };
    using MasterHeader = std::array<std::uint8_t, layout::master::kHeaderSize>;
    using EmasterHeader = std::array<std::uint8_t, layout::emaster::kHeaderSize>;
    using XmasterHeader = std::array<std::uint8_t, layout::xmaster::kHeaderSize>;

    std::optional<Slot> ChooseSlot();
    std::optional<std::uint16_t> LowestFreeLowNumber();
    Result CreateXmaster();
    Result AddLowEntry(const NewEntry& entry, bool raisesHighest);
    std::int32_t TwoYearsAgo() const;
    Result AddExtendedEntry(const NewEntry& entry);

    std::optional<std::uint32_t> FindMaster(const std::string& symbol);
    std::optional<std::uint32_t> FindEmaster(const std::string& symbol);
    std::optional<std::uint32_t> FindXmaster(const std::string& symbol);
    std::optional<std::filesystem::path> PriceFilePathOf(const std::string& symbol);

    Result DeleteLowEntry(std::optional<std::uint32_t> masterIndex, std::uint32_t emasterIndex);
    Result MoveFirstExtendedInto(std::uint16_t fileNumber);
    Result DeleteExtendedEntry(std::uint32_t index);
    Result RemoveXmasterRecord(std::uint32_t index);
    Result ShrinkLowCounts(bool masterMatched);

    std::uint16_t MasterCount() const;
    std::uint16_t EmasterCount() const;
    std::uint32_t XmasterCount() const;
    void SetXmasterCount(std::uint32_t count);
    bool HasExtendedEntries() const;
    Result NotFound(const std::string& symbol);

    Prompt& prompt_;
    const Clock& clock_;
    std::filesystem::path directory_;
    IndexFile master_{layout::master::kHeaderSize, layout::master::kRecordSize};
    IndexFile emaster_{layout::emaster::kHeaderSize, layout::emaster::kRecordSize};
    IndexFile xmaster_{layout::xmaster::kHeaderSize, layout::xmaster::kRecordSize};
    MasterHeader masterHeader_{};
    EmasterHeader emasterHeader_{};
    XmasterHeader xmasterHeader_{};
    PriceFile priceFile_;
};

}  // namespace corvane
