#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "Clock.h"
#include "DirectoryChange.h"
#include "DirectoryLock.h"
#include "EntryTable.h"
#include "IndexLookup.h"
#include "IndexRecords.h"
#include "IndexSet.h"
#include "PriceBar.h"
#include "PriceFile.h"
#include "Prompt.h"
#include "Result.h"

namespace corvane {

// Performs every change to a data directory. Not copyable; files close on
// destruction, though callers close them explicitly.
//
// What a failure leaves behind: every operation returns Failed when a file
// operation does not complete, and LastFailure() then says which file and
// why. A change never shows a reader half of itself. Index changes write new
// index files beside the old ones and switch over under an intent record
// (CORVANE.INTENT); a price file rebuilt with OpenPriceFileForWrite(create)
// is written beside the old one and replaces it only when ClosePriceFile
// succeeds; bars appended in place are counted only once they are written,
// and the entry's dates follow the bars when the file is closed. A crash
// part-way is finished by the next StoreWriter or StoreReader to open the
// directory.
//
// One writer per directory: Open takes an exclusive advisory lock on the
// folder (flock), which a StoreReader shares and a second writer is refused.
class StoreWriter {
public:
    enum class OpenFailure { None, InUse, NotDataDirectory, Damaged, CannotWrite };

    StoreWriter(Prompt& prompt, const Clock& clock);
    ~StoreWriter();
    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;

    // Fails when another writer holds the directory (after waiting up to
    // `wait`), when MASTER or EMASTER cannot be read and written, or when the
    // index files contradict each other in a way a change would make worse.
    Result Open(const std::filesystem::path& directory,
                std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    // Opens as Open does for a run that changes known securities one after
    // another: of XMASTER only the header is read, and the extended entries
    // the operations name are found at their store positions in `positions`
    // (built by a reader in the same run, and kept by the caller while the
    // writer is open), each record read on its own and checked to hold the
    // symbol. The low files and the headers are checked as Open checks
    // them; the rest of XMASTER is read and checked as soon as an operation
    // needs it: adding, renaming, deleting, or a symbol `positions` does not
    // place where it is.
    Result OpenKnown(const std::filesystem::path& directory, const EntryTable& positions,
                     std::chrono::milliseconds wait = std::chrono::milliseconds(0));
    void Close();
    OpenFailure GetOpenFailure() const { return openFailure_; }
    // The text to show for a failed Open, naming the directory.
    std::string OpenFailureMessage() const;
    // What the last failed operation could not do, naming the file.
    const std::string& LastFailure() const { return failure_; }
    // Whether the writer has shown that failure itself (a security not found,
    // a symbol taken), so that callers do not tell the user twice.
    bool LastFailureShown() const { return failureShown_; }

    // Creates the folder and empty MASTER and EMASTER where missing; existing
    // files are left as they are, and one index file without the other that
    // lists securities is refused. Leaves nothing open.
    Result CreateDirectory(const std::filesystem::path& directory);

    // New entry dated two years before today. Fails, creating nothing, when
    // no file number is free or the symbol is there already.
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

    // The bars of another directory's price file become this security's, in
    // one step, and the entry's dates follow them.
    Result CopyPriceFileFrom(const std::string& symbol, const std::filesystem::path& source);

    Result OpenPriceFileBySymbol(const std::string& symbol);
    // With create set, the bars go to a new file that replaces the old one
    // when ClosePriceFile succeeds; until then the old one stays as it was.
    Result OpenPriceFileForWrite(const std::string& symbol, bool create);
    // Puts the bars written in their place and sets the entry's dates from
    // them. A rebuild in which any write failed is dropped, and the result
    // is Failed.
    Result ClosePriceFile();
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

    // In a light open: the one extended entry in hand, read on its own.
    struct KnownEntry {
        std::uint32_t index;
        XmasterRecord record;
    };

    Result OpenIndex(const std::filesystem::path& directory, std::chrono::milliseconds wait,
                     const EntryTable* positions);
    Result FailOpen(OpenFailure failure, std::string problem);
    std::optional<std::string> Damage();
    std::optional<Slot> ChooseSlot() const;
    bool NumberTaken(std::uint16_t number, bool extended) const;
    std::int32_t TwoYearsAgo() const;
    Result AddLowEntry(DirectoryChange& change, NewEntry entry, const Slot& slot);
    Result AddExtendedEntry(DirectoryChange& change, NewEntry entry);
    void StageAppend(DirectoryChange& change, const IndexImage& image,
                     const std::filesystem::path& path, std::span<const std::uint8_t> header,
                     std::span<const std::uint8_t> record) const;
    void TakeAppended(IndexImage& image, std::span<const std::uint8_t> header,
                      std::span<const std::uint8_t> record);
    void MoveFirstExtendedInto(IndexSet& index, std::uint16_t fileNumber) const;
    void StageIndexFiles(DirectoryChange& change, const IndexSet& index, bool lowFiles,
                         bool xmasterFile) const;
    Result CommitIndex(DirectoryChange& change, bool reload = true);
    // Symbols, price files and file numbers of index_, built when first asked.
    const IndexLookup& Lookup() const;
    std::optional<EntryPlace> FindEntry(const std::string& symbol);
    // Reads and checks the whole index when a light open has not.
    Result RequireWholeIndex();
    // An entry's records, from the images or from the known entry.
    bool IsKnown(const EntryPlace& place) const;
    SecurityRecord EntryAt(const EntryPlace& place) const;
    std::vector<std::uint8_t> EntryBytesAt(const EntryPlace& place) const;
    void SetEntryInfo(const EntryPlace& place, std::int32_t first, std::int32_t last,
                      char periodicity);
    static std::uint64_t XmasterOffset(std::uint32_t index);
    std::function<bool(const std::string&)> RefreshFromDisk() const;
    bool WriteEntryDates(const std::string& priceFileName, std::int32_t first, std::int32_t last);
    Result Fail(const std::string& what);
    Result NotFound(const std::string& symbol);
    Result Refuse(const std::string& text);
    Result FinishPriceFile();
    Result BeginPriceChange();
    void ReloadIndex();
    std::string PriceFileOf(const EntryPlace& place) const;

    Prompt& prompt_;
    const Clock& clock_;
    std::filesystem::path directory_;
    DirectoryLock lock_;
    bool open_ = false;
    IndexSet index_;
    mutable std::optional<IndexLookup> lookup_;
    bool wholeIndex_ = true;                 // every XMASTER record read and checked
    const EntryTable* positions_ = nullptr;  // of a light open
    std::optional<KnownEntry> known_;
    // MASTER and EMASTER as a light open of this writer last found them sound.
    std::optional<std::pair<IndexImage::Loaded, IndexImage::Loaded>> soundLowFiles_;
    IndexHandles handles_;  // the index files, open for writing records in place
    OpenFailure openFailure_ = OpenFailure::None;
    std::string failure_;
    bool failureShown_ = false;

    PriceFile priceFile_;
    std::string priceFileName_;  // of the open price file, as the entry names it
    bool staging_ = false;       // the open file is a rebuild beside the old one
    bool priceWriteFailed_ = false;
    bool priceChanged_ = false;                 // bars written in place, under an intent record
    std::unique_ptr<DirectoryChange> rebuild_;  // the change that puts a rebuilt file in place
    std::optional<IntentRecord> priceGuard_;    // covers bars written in place
};

}  // namespace corvane
