#include "DownloadReport.h"

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

void DownloadReport::AddLine(const std::string& symbol, int result) {
    if (file_ == nullptr) return;
    std::fprintf(file_, "%s,%d\n", symbol.c_str(), result);
    std::fflush(file_);
}

void DownloadReport::Close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

std::filesystem::path DefaultReportPath() {
    return UserDataDir() / "report.txt";
}

}  // namespace corvane
