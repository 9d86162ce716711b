#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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
    // A note, when there is one, follows as a third field. False when the
    // line did not reach the file.
    bool AddLine(const std::string& symbol, int result, const std::string& note = "");
    void Close();

private:
    std::FILE* file_ = nullptr;
};

// The result of a security whose bars could not be stored (a write failed).
inline constexpr int kResultNotStored = -2;

struct ReportEntry {
    std::string symbol;
    // New bars, 0 for none, -1 for a symbol the service rejected, -2 when
    // storing failed.
    int result = 0;
    std::string note;  // what the run says besides the number; usually empty

    bool operator==(const ReportEntry&) const = default;
};

struct ReportContents {
    std::string runDate;
    std::vector<ReportEntry> entries;  // in run order
};

// Reads report.txt; nothing when it cannot be opened. A line whose result
// is not a number counts as 0.
std::optional<ReportContents> ReadReport(const std::filesystem::path& path);

// The usual place of report.txt: the per-user data folder.
std::filesystem::path DefaultReportPath();

}  // namespace corvane
