#include "BatchScan.h"

#include <optional>

#include "FileSystemIdentity.h"
#include "StoreMessages.h"
#include "StoreReader.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kBarRange = 65535;
constexpr std::size_t kPathLine = 40;
constexpr std::size_t kPathLines = 5;
constexpr std::size_t kSymbolsText = 80;

// Kernel and runtime trees: no data directory lives there, and walking them
// costs time or never ends.
bool IsPseudoFolder(const fs::path& folder) {
    for (const char* pseudo : {"/proc", "/sys", "/dev", "/run"})
        if (folder == pseudo) return true;
    return false;
}

class FolderScan {
public:
    FolderScan(BatchTable& table, ScanDisplay& display, Prompt& prompt)
        : table_(table), display_(display), prompt_(prompt) {}

    // False when the user stopped the scan.
    bool ScanRoot(const ScanRoot& root) {
        std::string name = root.path.string();
        display_.StartRoot("Scanning drive " + name + " ...",
                           static_cast<int>(std::min(root.usedBytes, kBarRange)));
        scale_ = root.usedBytes >= kBarRange
                     ? static_cast<double>(kBarRange) / static_cast<double>(root.usedBytes)
                     : 1.0;
        volume_ = FileSystemOf(root.path);
        return ScanFolder(root.path);
    }

private:
    bool ScanFolder(const fs::path& folder) {
        std::error_code error;
        fs::directory_iterator entries(folder, error);
        // A folder that cannot be read is passed by; the rest of the scan goes on.
        if (error) return true;
        display_.ShowFolder(AbbreviatedFolder(folder.string()));
        display_.Pause();
        for (fs::directory_iterator end; entries != end; entries.increment(error)) {
            if (error) return true;
            if (!VisitEntry(*entries)) return false;
        }
        return true;
    }

    bool VisitEntry(const fs::directory_entry& entry) {
        std::error_code error;
        if (entry.is_symlink(error) || error) return true;
        if (entry.is_directory(error)) return VisitFolder(entry.path());
        if (!entry.is_regular_file(error)) return true;
        const std::uintmax_t size = entry.file_size(error);
        if (!error) display_.Advance(static_cast<int>(static_cast<double>(size) * scale_));
        if (!display_.Cancelled()) return true;
        prompt_.Show("Scan is cancelled by user.", kAppCaption, PromptIcon::None,
                     PromptButtons::Ok);
        return false;
    }

    bool VisitFolder(const fs::path& folder) {
        const std::string name = folder.filename().string();
        if (name == "Windows" || name == "Temp" || IsPseudoFolder(folder)) return true;
        if (FileSystemOf(folder) != volume_) return true;  // another volume mounted here
        if (table_.filled < BatchTable::kSlots && StoreReader::IsDataDirectory(folder))
            Record(folder);
        return ScanFolder(folder);
    }

    void Record(const fs::path& folder) {
        BatchEntry& entry = table_.slots[static_cast<std::size_t>(table_.filled++)];
        entry = BatchEntry{true, folder.filename().string(), folder.string(), 0, ""};
        StoreReader reader(prompt_);
        if (reader.Open(folder) != Result::Ok) return;
        entry.count = reader.GetRemainingSecurities();
        while (reader.GetRemainingSecurities() > 0) {
            reader.NextSecurity();
            entry.symbols += " " + reader.GetSymbol();
        }
        reader.Close();
    }

    BatchTable& table_;
    ScanDisplay& display_;
    Prompt& prompt_;
    double scale_ = 1.0;
    std::optional<std::uint64_t> volume_;
};

}  // namespace

ScanEnd ScanDrives(const std::vector<ScanRoot>& roots, BatchTable& table, ScanDisplay& display,
                   Prompt& prompt) {
    table = BatchTable{};
    FolderScan scan(table, display, prompt);
    for (const ScanRoot& root : roots)
        if (!scan.ScanRoot(root)) return ScanEnd::Cancelled;
    return ScanEnd::Completed;
}

std::string AbbreviatedFolder(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const std::size_t first = folder.find('/', 3);
    const std::size_t last = folder.rfind('/');
    if (first == std::string::npos || first >= last) return folder;
    return folder.substr(0, first + 1) + "..." + folder.substr(last);
}

std::string FullPathInfo(const std::string& path) {
    std::string rest = "Full path: " + path;
    std::string text;
    for (std::size_t lines = 0; !rest.empty() && lines < kPathLines; ++lines) {
        std::size_t take = rest.size();
        if (take > kPathLine) {
            const std::size_t breakAt = rest.find_last_of(" /", kPathLine - 1);
            take = breakAt == std::string::npos ? kPathLine : breakAt + 1;
        }
        if (!text.empty()) text += '\n';
        text += rest.substr(0, take);
        rest.erase(0, take);
    }
    return text;
}

std::string SymbolsInfo(const std::string& symbols) {
    const std::size_t first = symbols.find_first_not_of(' ');
    std::string text = "Symbols: " + (first == std::string::npos ? "" : symbols.substr(first));
    if (text.size() <= kSymbolsText) return text;
    text.resize(kSymbolsText);
    const std::size_t space = text.rfind(' ');
    if (space != std::string::npos) text.resize(space);
    return text + "...";
}

}  // namespace corvane
