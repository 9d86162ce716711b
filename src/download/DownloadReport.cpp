#include "DownloadReport.h"

#include <charconv>
#include <fstream>

#include "UserPaths.h"

namespace corvane {

DownloadReport::~DownloadReport() {
    Close();
}

bool DownloadReport::Create(const std::filesystem::path& path, const LocalDateTime& runDate) {
    Close();
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) return false;
    std::fprintf(file_, "%d/%d/%d\n", runDate.month, runDate.day, runDate.year);
    std::fflush(file_);
    return true;
}

bool DownloadReport::AddLine(const std::string& symbol, int result, const std::string& note) {
    if (file_ == nullptr) return false;
    const bool printed = std::fprintf(file_, "%s,%d%s%s\n", symbol.c_str(), result,
                                      note.empty() ? "" : ",", note.c_str()) >= 0;
    return std::fflush(file_) == 0 && printed;
}

void DownloadReport::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

std::optional<ReportContents> ReadReport(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    ReportContents report;
    std::string line;
    auto stripped = [](std::string text) {
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
        return text;
    };
    if (std::getline(in, line)) report.runDate = stripped(line);
    while (std::getline(in, line)) {
        line = stripped(line);
        if (line.empty()) continue;
        const std::size_t comma = line.find(',');
        ReportEntry entry;
        entry.symbol = line.substr(0, comma);
        if (comma != std::string::npos) {
            const std::string rest = line.substr(comma + 1);
            const std::size_t noteComma = rest.find(',');
            std::from_chars(rest.data(), rest.data() + rest.size(), entry.result);
            if (noteComma != std::string::npos) entry.note = rest.substr(noteComma + 1);
        }
        report.entries.push_back(entry);
    }
    return report;
}

std::filesystem::path DefaultReportPath() {
    return UserDataDir() / "report.txt";
}

}  // namespace corvane
