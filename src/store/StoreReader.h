#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "DirectoryLock.h"
#include "EntryTable.h"
#include "IndexFile.h"
#include "Layout.h"
#include "PriceBar.h"
#include "PriceFile.h"
#include "Prompt.h"
#include "Result.h"
#include "SecurityRecord.h"

namespace corvane {

// Reads a data directory: walks its entries in store order (low entries, then
// extended ones) and reads one price file at a time from first bar to last.
// Messages go to the prompt with the caption "Vaultix". Not copyable; files
// close on destruction, though callers close them explicitly.
class StoreReader {
public:
    explicit StoreReader(Prompt& prompt);
    ~StoreReader() { Close(); }
    StoreReader(const StoreReader&) = delete;
    StoreReader& operator=(const StoreReader&) = delete;

    // Fails when MASTER or EMASTER cannot be opened, or a writer elsewhere
    // keeps the directory for more than a few seconds; XMASTER is optional.
    // Takes a shared lock on the directory until Close, and first finishes a
    // change that a crashed writer left.
    Result Open(const std::filesystem::path& directory);
    void Close();
    // EMASTER can be opened for reading (MASTER is not needed for this test).
    static bool IsDataDirectory(const std::filesystem::path& directory);

    // Advances to the next entry; call only while entries remain.
    void NextSecurity();
    int GetRemainingSecurities() const { return remaining_; }
    const SecurityRecord& CurrentSecurity() const { return current_; }
    const std::string& GetSymbol() const { return current_.symbol; }
    const std::string& GetName() const { return current_.name; }
    char GetPeriodicity() const { return current_.periodicity; }
    int GetFieldCount() const { return current_.fieldCount; }
    std::int32_t GetFirstDate() const { return current_.firstDate; }
    std::int32_t GetLastDate() const { return current_.lastDate; }
    std::string GetPriceFileName() const { return current_.PriceFileName(); }

    // Every entry in store order, from one read of each index file; the walk
    // stays where it is.
    std::vector<SecurityRecord> ReadAllEntries();
    // Makes the entry at a store position (0 for the first) the current one,
    // reading just its record; false when there is none or it cannot be read.
    bool SeekEntry(int position);
    // For runs over many symbols: reads every entry once, and from then on
    // the lookups by symbol below find the first entry of that symbol in
    // store order wherever the walk stands, without walking.
    void LoadEntryTable();

    // Advances to the next entry whose symbol is exactly `symbol` (case
    // counts); false, silently, when none remains.
    bool SeekSymbol(const std::string& symbol);
    // Searches forward from the current entry only (every entry once the
    // entry table is loaded); callers open the reader right before searching.
    // Shows a message on failure.
    Result OpenPriceFileBySymbol(const std::string& symbol);
    // Finds the symbol as OpenPriceFileBySymbol does, with the same messages,
    // and reads all its bars in one read; the entry becomes the current one.
    Result ReadBarsBySymbol(const std::string& symbol, std::vector<PriceBar>& bars);
    // The price file of the current entry; fails silently.
    Result OpenCurrentPriceFile();
    void ClosePriceFile();
    // Reads the next bar; call only while bars remain. A failed read leaves
    // the previous bar in place.
    void ReadNextBar() { (void)priceFile_.ReadNextBar(bar_); }
    int GetBarCount() const { return priceFile_.BarCount(); }
    int GetRemainingBars() const { return priceFile_.RemainingBars(); }
    const PriceBar& CurrentBar() const { return bar_; }
    std::int32_t GetBarDate() const { return bar_.date; }
    float GetBarOpen() const { return bar_.open; }
    float GetBarHigh() const { return bar_.high; }
    float GetBarLow() const { return bar_.low; }
    float GetBarClose() const { return bar_.close; }
    float GetBarVolume() const { return bar_.volume; }
    float GetBarOpenInterest() const { return bar_.openInterest; }

private:
    void Show(const std::string& text);
    bool FindNoCase(const std::string& symbol);

    Prompt& prompt_;
    std::filesystem::path directory_;
    DirectoryLock lock_;
    IndexFile master_{layout::master::kHeaderSize, layout::master::kRecordSize};
    IndexFile emaster_{layout::emaster::kHeaderSize, layout::emaster::kRecordSize};
    IndexFile xmaster_{layout::xmaster::kHeaderSize, layout::xmaster::kRecordSize};
    int lowCount_ = 0;
    int extendedCount_ = 0;
    int remaining_ = 0;
    int visited_ = 0;
    SecurityRecord current_;
    std::optional<EntryTable> table_;
    PriceFile priceFile_;
    PriceBar bar_;
};

}  // namespace corvane
