#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "BatchTable.h"
#include "Clock.h"
#include "DownloadReport.h"
#include "EntryTable.h"
#include "FetchSession.h"
#include "HistorySource.h"
#include "Progress.h"
#include "SecurityRecord.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace corvane {

// Base URLs (scheme and host) of the services a run talks to.
struct ServiceUrls {
    std::string history = "http://127.0.0.1:8470";
    std::string quote = "http://127.0.0.1:8470";
    std::string forex = "http://127.0.0.1:8470";
};

// What a run shows besides the bar: the symbol in hand and the times.
struct RunDisplay {
    std::function<void(const std::string& symbol)> showSymbol;
    std::function<void(const std::string& elapsed, const std::string& remaining)> showTimes;
    // Refreshes the security list of the current directory when a run ends.
    std::function<void()> reloadSecurityList;
};

// Brings a list of securities of a data directory up to date from the quote
// services, one security at a time, and writes report.txt.
class CDownloader {
public:
    CDownloader(HttpClient& http, Prompt& prompt, const Clock& clock, EventPump& pump,
                ServiceUrls services, std::filesystem::path reportPath);

    void SetDirectory(const std::filesystem::path& directory) { currentDirectory_ = directory; }
    void SetOverwrite(bool overwrite) { overwrite_ = overwrite; }
    // Batch mode: RunDownload then works through the selected slots.
    void SetBatch(const BatchTable* batch) { batch_ = batch; }
    void SetDisplay(RunDisplay display) { display_ = std::move(display); }
    // How long to wait for another program that is changing the directory.
    void SetWriterWait(std::chrono::milliseconds wait) { writerWait_ = wait; }
    // For tests: the pause before retrying a transient failure.
    void SetRetryPause(int milliseconds) { session_.retryPauseMs = milliseconds; }

    // The dialog's run. Fails, doing nothing, when report.txt cannot be
    // created; fails too, after the whole run, when the run was stopped or
    // any security could not be stored.
    Result RunDownload(const std::string& symbols, std::int32_t start, std::int32_t end,
                       Periodicity periodicity, Progress& progress);
    // The scheduler's run: the directory becomes current; the progress window
    // is used for lists longer than 200 characters and can cancel the run.
    Result RunScheduledDownload(const std::filesystem::path& directory, const std::string& symbols,
                                std::int32_t start, std::int32_t end, Periodicity periodicity,
                                Progress& window);

    // One security; its result number for the report.
    int DownloadSecurity(const std::string& symbol, std::int32_t start, std::int32_t end,
                         Periodicity periodicity, DownloadMode mode);
    std::optional<SecurityRecord> FindSecurity(const std::string& symbol);
    // Stores the rows in the symbol's price file; false, with a message, when
    // the file cannot be opened or a write fails. An update never adds a bar
    // dated on or before the file's last bar; a rebuild keeps the `stored`
    // bars the rows do not reach (see KeepStoredHistory).
    bool MergeRows(const std::string& symbol, const std::vector<HistoryRow>& rows,
                   StoreWriter& writer, DownloadMode mode, std::int32_t last,
                   const std::vector<PriceBar>& stored = {});
    bool PumpMessages() { return pump_.PumpMessages(); }

    int StopFlag() const { return session_.stopFlag; }

private:
    struct RunState;
    int ProcessSecurity(const std::string& symbol, std::int32_t start, std::int32_t end,
                        Periodicity periodicity);
    void RunList(RunState& run, const std::string& list, Progress* progress, bool scheduled);
    void RunBatch(RunState& run, Progress& progress);
    int AddDayQuote(const std::string& symbol, std::int32_t end, Periodicity periodicity);
    bool IsTradingDay() const;
    int FetchQuoteOnly(const SecurityRecord& entry);
    bool OpenWriter(StoreWriter& writer);
    bool SeekSecurity(StoreReader& reader, const std::string& symbol);
    bool ReportStoreFailure(const std::string& symbol, StoreWriter& writer);
    std::optional<std::vector<PriceBar>> StoredBars(const std::string& symbol,
                                                    Periodicity periodicity);
    bool DirectoryOpens();
    bool StartRun(RunState& run, std::int32_t start, std::int32_t end, Periodicity periodicity);
    void EndRun(RunState& run);
    void ShowTimes(const RunState& run, double fractionDone);

    Prompt& prompt_;
    const Clock& clock_;
    EventPump& pump_;
    ServiceUrls services_;
    std::filesystem::path reportPath_;
    FetchSession session_;
    std::filesystem::path currentDirectory_;
    std::filesystem::path directory_;  // of the run: the current one, or a batch slot's
    bool overwrite_ = false;
    const BatchTable* batch_ = nullptr;
    RunDisplay display_;
    int adjustedFlag_ = 0;
    int forexFlag_ = 0;
    bool storeFailed_ = false;   // some security of the run could not be stored
    bool reportFailed_ = false;  // some line of report.txt could not be written
    std::string reportNote_;     // said on the report line of the security in hand
    std::chrono::milliseconds writerWait_{0};
    DownloadReport report_;
    // Where the entries of the run's directory stand, read once per run, and
    // whether a writer has checked the whole index since.
    std::optional<EntryTable> positions_;
    bool indexChecked_ = false;
    // One writer, opened and closed for each security: what it checked of the
    // index at one open it need not check again at the next.
    StoreWriter writer_;
};

// Hours, minutes and seconds, at least two digits each: "00:01:05".
std::string FormatDuration(long long seconds);
// The symbol list as a run takes it: trimmed of spaces and upper-cased.
std::string NormaliseSymbolList(const std::string& symbols);

}  // namespace corvane
