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
        remaining_ += static_cast<int>(xmaster_.ClampCount(stored));
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
    lowCount_ = remaining_ = visited_ = 0;
    current_ = SecurityRecord{};
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

bool StoreReader::SeekSymbol(const std::string& symbol) {
    while (remaining_ > 0) {
        NextSecurity();
        if (current_.symbol == symbol) return true;
    }
    return false;
}

Result StoreReader::OpenPriceFileBySymbol(const std::string& symbol) {
    ClosePriceFile();
    bool found = false;
    while (!found && remaining_ > 0) {
        NextSecurity();
        found = EqualsNoCase(current_.symbol, symbol);
    }
    if (!found) {
        Show(kCanNotFindSecurity + symbol);
        return Result::Failed;
    }
    if (OpenCurrentPriceFile() == Result::Ok) return Result::Ok;
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
