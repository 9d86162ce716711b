#include "StoreReader.h"

#include "Coding.h"
#include "DirectoryChange.h"
#include "DirectoryFiles.h"
#include "IndexRecords.h"
#include "StoreMessages.h"

namespace corvane {
namespace {

namespace e = layout::emaster;
namespace x = layout::xmaster;

// Long enough to ride out a writer's single change, short enough that a
// window waiting on a long-running writer elsewhere does not seem to hang.
constexpr std::chrono::milliseconds kReaderWait(3000);

// A change a crash left unfinished is finished before reading, by whoever
// can take the directory alone; a reader on a medium it cannot write reads
// what is there.
void FinishLeftoverChange(const std::filesystem::path& directory) {
    if (!HasInterruptedChange(directory)) return;
    DirectoryLock alone;
    if (!alone.Acquire(directory, DirectoryLock::Kind::Exclusive, std::chrono::milliseconds(0)))
        return;
    std::string problem;
    (void)FinishInterruptedChange(directory, problem);
}

}  // namespace

StoreReader::StoreReader(Prompt& prompt) : prompt_(prompt) {}

Result StoreReader::Open(const std::filesystem::path& directory) {
    Close();
    directory_ = directory;
    FinishLeftoverChange(directory);
    if (!lock_.Acquire(directory, DirectoryLock::Kind::Shared, kReaderWait)) return Result::Failed;
    if (!master_.Open(FindFile(directory, kMasterName), StoreFile::Mode::Read) ||
        !emaster_.Open(FindFile(directory, kEmasterName), StoreFile::Mode::Read)) {
        Close();
        return Result::Failed;
    }
    std::array<std::uint8_t, e::kHeaderSize> header{};
    const bool headerRead = emaster_.ReadHeader(header);
    lowCount_ =
        static_cast<int>(emaster_.ClampCount(headerRead ? DecodeU16(header, e::kCount) : -1));
    remaining_ = lowCount_;
    emaster_.Rewind();

    if (xmaster_.Open(FindFile(directory, kXmasterName), StoreFile::Mode::Read)) {
        std::array<std::uint8_t, x::kHeaderSize> xheader{};
        const std::int64_t stored =
            xmaster_.ReadHeader(xheader) ? DecodeU32(xheader, x::kCount) : -1;
        extendedCount_ = static_cast<int>(xmaster_.ClampCount(stored));
        remaining_ += extendedCount_;
        xmaster_.Rewind();
    }
    return Result::Ok;
}

void StoreReader::Close() {
    ClosePriceFile();
    master_.Close();
    emaster_.Close();
    xmaster_.Close();
    lock_.Release();
    lowCount_ = extendedCount_ = remaining_ = visited_ = 0;
    current_ = SecurityRecord{};
    table_.reset();
}

bool StoreReader::IsDataDirectory(const std::filesystem::path& directory) {
    StoreFile file;
    return file.Open(FindFile(directory, kEmasterName), StoreFile::Mode::Read);
}

void StoreReader::NextSecurity() {
    if (remaining_ <= 0) return;
    if (visited_ < lowCount_) {
        EmasterRecord record{};
        if (emaster_.ReadNextRecord(record)) current_ = DecodeEmasterRecord(record);
    } else {
        XmasterRecord record{};
        if (xmaster_.ReadNextRecord(record)) current_ = DecodeXmasterRecord(record);
    }
    --remaining_;
    ++visited_;
}

std::vector<SecurityRecord> StoreReader::ReadAllEntries() {
    std::vector<SecurityRecord> entries;
    entries.reserve(static_cast<std::size_t>(lowCount_ + extendedCount_));
    std::vector<std::uint8_t> records;
    if (emaster_.ReadRecords(0, static_cast<std::uint32_t>(lowCount_), records))
        for (int i = 0; i < lowCount_; ++i)
            entries.push_back(DecodeEmasterRecord(std::span(records).subspan(
                static_cast<std::size_t>(i) * e::kRecordSize, e::kRecordSize)));
    if (extendedCount_ > 0 &&
        xmaster_.ReadRecords(0, static_cast<std::uint32_t>(extendedCount_), records))
        for (int i = 0; i < extendedCount_; ++i)
            entries.push_back(DecodeXmasterRecord(std::span(records).subspan(
                static_cast<std::size_t>(i) * x::kRecordSize, x::kRecordSize)));
    return entries;
}

bool StoreReader::SeekEntry(int position) {
    if (position < 0 || position >= lowCount_ + extendedCount_) return false;
    if (position < lowCount_) {
        EmasterRecord record{};
        if (!emaster_.ReadRecord(static_cast<std::uint32_t>(position), record)) return false;
        current_ = DecodeEmasterRecord(record);
    } else {
        XmasterRecord record{};
        if (!xmaster_.ReadRecord(static_cast<std::uint32_t>(position - lowCount_), record))
            return false;
        current_ = DecodeXmasterRecord(record);
    }
    return true;
}

void StoreReader::LoadEntryTable() {
    table_.emplace(ReadAllEntries());
}

bool StoreReader::SeekSymbol(const std::string& symbol) {
    while (remaining_ > 0) {
        NextSecurity();
        if (current_.symbol == symbol) return true;
    }
    return false;
}

bool StoreReader::FindNoCase(const std::string& symbol) {
    if (table_) {
        const auto position = table_->FindNoCase(symbol);
        if (position) current_ = table_->At(*position);
        return position.has_value();
    }
    while (remaining_ > 0) {
        NextSecurity();
        if (EqualsNoCase(current_.symbol, symbol)) return true;
    }
    return false;
}

Result StoreReader::OpenPriceFileBySymbol(const std::string& symbol) {
    ClosePriceFile();
    if (!FindNoCase(symbol)) {
        Show(kCanNotFindSecurity + symbol);
        return Result::Failed;
    }
    if (OpenCurrentPriceFile() == Result::Ok) return Result::Ok;
    Show(kCanNotOpenSecurityFile);
    return Result::Failed;
}

Result StoreReader::ReadBarsBySymbol(const std::string& symbol, std::vector<PriceBar>& bars) {
    ClosePriceFile();
    bars.clear();
    if (!FindNoCase(symbol)) {
        Show(kCanNotFindSecurity + symbol);
        return Result::Failed;
    }
    if (ReadPriceFile(FindFile(directory_, GetPriceFileName()), bars)) return Result::Ok;
    Show(kCanNotOpenSecurityFile);
    return Result::Failed;
}

Result StoreReader::OpenCurrentPriceFile() {
    ClosePriceFile();
    return priceFile_.Open(FindFile(directory_, GetPriceFileName()), StoreFile::Mode::Read)
               ? Result::Ok
               : Result::Failed;
}

void StoreReader::ClosePriceFile() {
    priceFile_.Close();
    bar_ = PriceBar{};
}

void StoreReader::Show(const std::string& text) {
    prompt_.Show(text, kStoreCaption, PromptIcon::None, PromptButtons::Ok);
}

}  // namespace corvane
