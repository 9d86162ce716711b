#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "Clock.h"

namespace corvane {

// report.txt of a run: the run's date (month/day/year without leading
// zeros), then "SYMBOL,RESULT" per security. Each line reaches the disk as
// it is written, so a run that dies part-way still leaves its lines.
class DownloadReport {
public:
    DownloadReport() = default;
    ~DownloadReport();
    DownloadReport(const DownloadReport&) = delete;
    DownloadReport& operator=(const DownloadReport&) = delete;

    // Creates (truncates) the file, its folder too; false when it cannot.
    [[nodiscard]] bool Create(const std::filesystem::path& path, const LocalDateTime& runDate);
    void AddLine(const std::string& symbol, int result);
    void Close();

private:
    std::FILE* file_ = nullptr;
};

// The usual place of report.txt: the per-user data folder.
std::filesystem::path DefaultReportPath();

}  // namespace corvane
