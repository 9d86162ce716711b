#include "CDownloader.h"

#include <algorithm>

#include "CalendarDate.h"
#include "Coding.h"
#include "DayQuoteSource.h"
#include "DirectoryFiles.h"
#include "ForexSource.h"
#include "NativeFile.h"
#include "RebuildSeam.h"
#include "StoreMessages.h"
#include "StoreReader.h"

namespace corvane {
namespace {

constexpr std::size_t kWindowThreshold = 200;  // longer scheduled lists get the progress window

Periodicity PeriodicityOf(char stored) {
    if (stored == 'D') return Periodicity::Daily;
    if (stored == 'W') return Periodicity::Weekly;
    return Periodicity::Monthly;
}

// The run's writer is opened for each security and closed again on every
// way out, so that other programs get the directory between securities.
struct CloseWhenDone {
    StoreWriter& writer;
    ~CloseWhenDone() { writer.Close(); }
};

char PeriodicityChar(Periodicity periodicity) {
    switch (periodicity) {
        case Periodicity::Daily:
            return 'D';
        case Periodicity::Weekly:
            return 'W';
        default:
            return 'M';
    }
}

}  // namespace

struct CDownloader::RunState {
    std::int32_t start = 0;
    std::int32_t end = 0;
    Periodicity periodicity = Periodicity::Daily;
    std::chrono::steady_clock::time_point began;
    std::size_t total = 0;  // progress range
    std::size_t base = 0;   // progress of the batch slots already done
};

std::string FormatDuration(long long seconds) {
    auto two = [](long long value) {
        std::string text(value < 10 ? 1 : 0, '0');
        text += std::to_string(value);
        return text;
    };
    if (seconds < 0) seconds = 0;
    return two(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

std::string NormaliseSymbolList(const std::string& symbols) {
    const std::size_t first = symbols.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return UpperCase(symbols.substr(first, symbols.find_last_not_of(' ') - first + 1));
}

CDownloader::CDownloader(HttpClient& http, Prompt& prompt, const Clock& clock, EventPump& pump,
                         ServiceUrls services, std::filesystem::path reportPath)
    : prompt_(prompt),
      clock_(clock),
      pump_(pump),
      services_(std::move(services)),
      reportPath_(std::move(reportPath)),
      session_{http, prompt},
      writer_(prompt, clock) {}

Result CDownloader::RunDownload(const std::string& symbols, std::int32_t start, std::int32_t end,
                                Periodicity periodicity, Progress& progress) {
    directory_ = currentDirectory_;
    RunState run;
    if (!StartRun(run, start, end, periodicity)) return Result::Failed;
    if (batch_ != nullptr) {
        RunBatch(run, progress);
    } else {
        const std::string list = NormaliseSymbolList(symbols);
        run.total = list.size();
        progress.SetRange(static_cast<int>(run.total));
        RunList(run, list, &progress, false);
        progress.SetPosition(static_cast<int>(run.total));
    }
    EndRun(run);
    return session_.stopFlag == 0 && !storeFailed_ && !reportFailed_ ? Result::Ok : Result::Failed;
}

Result CDownloader::RunScheduledDownload(const std::filesystem::path& directory,
                                         const std::string& symbols, std::int32_t start,
                                         std::int32_t end, Periodicity periodicity,
                                         Progress& window) {
    currentDirectory_ = directory;
    directory_ = directory;
    RunState run;
    if (!StartRun(run, start, end, periodicity)) return Result::Failed;
    const std::string list = NormaliseSymbolList(symbols);
    run.total = list.size();
    const bool showWindow = list.size() > kWindowThreshold;
    if (showWindow) {
        window.SetText("Downloading securities ...");
        window.SetRange(static_cast<int>(run.total));
    }
    RunList(run, list, showWindow ? &window : nullptr, true);
    EndRun(run);
    return session_.stopFlag == 0 && !storeFailed_ && !reportFailed_ ? Result::Ok : Result::Failed;
}

bool CDownloader::StartRun(RunState& run, std::int32_t start, std::int32_t end,
                           Periodicity periodicity) {
    session_.stopFlag = 0;
    storeFailed_ = false;
    reportFailed_ = false;
    if (!report_.Create(reportPath_, clock_.Now())) {
        prompt_.Show("Can not create the report file " + reportPath_.string() + ".", kAppCaption,
                     PromptIcon::Warning, PromptButtons::Ok);
        return false;
    }
    run.start = start;
    run.end = end;
    run.periodicity = periodicity;
    run.began = std::chrono::steady_clock::now();
    return true;
}

void CDownloader::EndRun(RunState&) {
    report_.Close();
    if (display_.reloadSecurityList) display_.reloadSecurityList();
}

void CDownloader::RunBatch(RunState& run, Progress& progress) {
    for (const BatchEntry& slot : batch_->slots)
        if (slot.selected) run.total += slot.symbols.size();
    progress.SetRange(static_cast<int>(run.total));
    for (const BatchEntry& slot : batch_->slots) {
        if (session_.stopFlag == 1) break;
        if (!slot.selected) continue;
        const std::string list = NormaliseSymbolList(slot.symbols);
        if (list.empty()) continue;  // a directory that held no securities when scanned
        directory_ = slot.path;
        RunList(run, list, &progress, false);
        run.base += list.size();
    }
    progress.SetPosition(static_cast<int>(run.base));
}

void CDownloader::RunList(RunState& run, const std::string& list, Progress* progress,
                          bool scheduled) {
    positions_.reset();  // of another directory, or of an earlier run
    if (!DirectoryOpens() || list.empty()) return;
    std::size_t begin = 0;
    while (begin <= list.size() && session_.stopFlag == 0) {
        std::size_t space = list.find(' ', begin);
        if (space == std::string::npos) space = list.size();
        const std::string symbol = list.substr(begin, space - begin);
        if (display_.showSymbol) display_.showSymbol(symbol);
        reportNote_.clear();
        const int result = ProcessSecurity(symbol, run.start, run.end, run.periodicity);
        // A stopped run still reports the security in hand.
        if (!report_.AddLine(symbol, result, reportNote_) && !reportFailed_) {
            // Told once: the run goes on, but its report lacks this line and maybe more.
            reportFailed_ = true;
            prompt_.Show("The download report " + reportPath_.string() +
                             " could not be written from " + symbol + " on.",
                         kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
        }
        const std::size_t position = run.base + space;
        if (progress != nullptr) progress->SetPosition(static_cast<int>(position));
        if (run.total > 0) ShowTimes(run, static_cast<double>(position) / run.total);
        PumpMessages();
        if (scheduled && progress != nullptr && progress->IsCancelled()) {
            prompt_.Show("Download is cancelled", kAppCaption, PromptIcon::None, PromptButtons::Ok);
            return;
        }
        begin = space + 1;
    }
}

void CDownloader::ShowTimes(const RunState& run, double fractionDone) {
    if (!display_.showTimes || fractionDone <= 0) return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now() - run.began)
                             .count();
    const auto total = static_cast<long long>(static_cast<double>(elapsed) / fractionDone);
    display_.showTimes(FormatDuration(elapsed), FormatDuration(total - elapsed));
}

int CDownloader::ProcessSecurity(const std::string& symbol, std::int32_t start, std::int32_t end,
                                 Periodicity periodicity) {
    const std::optional<SecurityRecord> entry = FindSecurity(symbol);
    if (!entry) return 0;
    const std::int32_t first = ToLongDate(entry->firstDate);
    const std::int32_t last = ToLongDate(entry->lastDate);
    // A flag left over from the previous security must not rebuild this one.
    adjustedFlag_ = 0;
    if (overwrite_ || first >= last || PeriodicityOf(entry->periodicity) != periodicity ||
        start < first)
        return DownloadSecurity(symbol, start, end, periodicity, DownloadMode::Overwrite);
    if (last < end) {
        const int result = DownloadSecurity(symbol, last, end, periodicity, DownloadMode::Update);
        if (adjustedFlag_ == 0 || session_.stopFlag == 1) return result;
        adjustedFlag_ = 0;
        // Adjusted prices change the whole stored history: rebuild all of it.
        return DownloadSecurity(symbol, std::min(start, first), end, periodicity,
                                DownloadMode::Overwrite);
    }
    if (last == end) return FetchQuoteOnly(*entry);
    return 0;
}

int CDownloader::DownloadSecurity(const std::string& symbol, std::int32_t start, std::int32_t end,
                                  Periodicity periodicity, DownloadMode mode) {
    forexFlag_ = IsCurrencyPair(symbol) ? 1 : 0;
    const HistoryFetch fetch =
        forexFlag_
            ? FetchForex(session_, services_.forex, symbol, start, end, periodicity, mode)
            : FetchHistory(session_, services_.history, symbol, start, end, periodicity, mode);
    if (fetch.status == FetchStatus::Rejected) return -1;
    if (fetch.status == FetchStatus::Failed) return 0;
    // An empty answer must not empty a price file that is to be rebuilt.
    if (mode == DownloadMode::Overwrite && fetch.rows.empty()) return 0;

    StoreWriter& writer = writer_;
    if (!OpenWriter(writer)) return 0;
    const CloseWhenDone closeWhenDone{writer};
    // Read under the writer's lock, so nothing changes them before the rebuild.
    std::optional<std::vector<PriceBar>> stored;
    if (mode == DownloadMode::Overwrite) {
        stored = StoredBars(symbol, periodicity);
        if (!stored) {
            prompt_.Show(NotStoredText(symbol, "its stored bars cannot be read, so they are kept"),
                         kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
            storeFailed_ = true;
            return kResultNotStored;
        }
    }
    if (!MergeRows(symbol, fetch.rows, writer, mode, start,
                   stored.value_or(std::vector<PriceBar>{})))
        return kResultNotStored;
    // The dates follow the bars already; the periodicity is the request's.
    if (writer.OpenPriceFileBySymbol(symbol) != Result::Ok)
        return ReportStoreFailure(symbol, writer), kResultNotStored;
    const auto firstBar = writer.GetFirstBarDate();
    const auto lastBar = writer.GetLastBarDate();
    if (writer.ClosePriceFile() != Result::Ok ||
        (firstBar && lastBar &&
         writer.UpdateSecurityInfo(symbol, *firstBar, *lastBar, PeriodicityChar(periodicity)) !=
             Result::Ok))
        return ReportStoreFailure(symbol, writer), kResultNotStored;
    writer.Close();
    const int quote = AddDayQuote(symbol, end, periodicity);
    return quote == kResultNotStored ? quote : fetch.newRecords + quote;
}

int CDownloader::AddDayQuote(const std::string& symbol, std::int32_t end, Periodicity periodicity) {
    // Saves the second lookup when no quote can come of it.
    if (periodicity != Periodicity::Daily || !IsTradingDay()) return 0;
    const std::optional<SecurityRecord> entry = FindSecurity(symbol);
    if (!entry || ToLongDate(entry->lastDate) >= end) return 0;
    return FetchQuoteOnly(*entry);
}

int CDownloader::FetchQuoteOnly(const SecurityRecord& entry) {
    // The day's quote is a daily bar of a trading day.
    if (entry.periodicity != 'D' || !IsTradingDay()) return 0;
    StoreWriter& writer = writer_;
    if (!OpenWriter(writer)) return 0;
    const CloseWhenDone closeWhenDone{writer};
    const int result =
        FetchDayQuote(session_, writer, clock_, services_.quote,
                      {entry.symbol, entry.firstDate, entry.lastDate, entry.periodicity});
    if (result == kResultNotStored) ReportStoreFailure(entry.symbol, writer);
    writer.Close();
    return result;
}

std::optional<SecurityRecord> CDownloader::FindSecurity(const std::string& symbol) {
    StoreReader reader(prompt_);
    if (reader.Open(directory_) != Result::Ok) {
        // Not "no such security": the directory itself cannot be read now.
        if (session_.stopFlag == 0)
            prompt_.Show("Directory " + directory_.string() + " cannot be read.", kAppCaption,
                         PromptIcon::Warning, PromptButtons::Ok);
        session_.stopFlag = 1;
        storeFailed_ = true;
        return std::nullopt;
    }
    std::optional<SecurityRecord> found;
    if (SeekSecurity(reader, symbol)) found = reader.CurrentSecurity();
    reader.Close();
    return found;
}

// The run reads the directory's entries once and finds each symbol at its
// position, reading that one record and checking that it still holds the
// symbol. A position that no longer holds it, or a symbol the table lacks
// while the directory's count of entries has changed, means the directory
// changed since: its entries are read again.
bool CDownloader::SeekSecurity(StoreReader& reader, const std::string& symbol) {
    const int entries = reader.GetRemainingSecurities();
    for (int pass = 0; pass < 2; ++pass) {
        const bool fresh = !positions_ || pass == 1;
        if (fresh) {
            positions_.emplace(reader.ReadAllEntries());
            indexChecked_ = false;
        }
        const std::optional<int> position = positions_->FindExact(symbol);
        if (position && reader.SeekEntry(*position) && reader.GetSymbol() == symbol) return true;
        if (fresh || (!position && positions_->Count() == entries)) return false;
    }
    return false;
}

bool CDownloader::MergeRows(const std::string& symbol, const std::vector<HistoryRow>& rows,
                            StoreWriter& writer, DownloadMode mode, std::int32_t /*last*/,
                            const std::vector<PriceBar>& stored) {
    const Result opened = mode == DownloadMode::Overwrite
                              ? writer.OpenPriceFileForWrite(symbol, true)
                              : writer.OpenPriceFileBySymbol(symbol);
    if (opened != Result::Ok) return ReportStoreFailure(symbol, writer);
    // The file's own last bar is the boundary, not the entry's last date: an
    // index left behind by a crash, or run ahead by another program, must
    // neither duplicate bars nor overwrite one with a later day.
    const std::optional<std::int32_t> fileLast =
        mode == DownloadMode::Update ? writer.GetLastBarDate() : std::nullopt;
    const std::int32_t boundary = fileLast ? ToLongDate(*fileLast) : 0;
    std::vector<PriceBar> appended;
    Result written = Result::Ok;
    for (const HistoryRow& row : rows) {
        const PriceBar bar = RowToBar(row, adjustedFlag_);
        if (fileLast && row.date < boundary) continue;
        if (fileLast && row.date == boundary && appended.empty()) {
            if (writer.OverwriteLastBar(bar) != Result::Ok) written = Result::Failed;
        } else if (appended.empty() || row.date > ToLongDate(appended.back().date)) {
            appended.push_back(bar);
        }
    }
    if (mode == DownloadMode::Overwrite) {
        const RebuildSeam seam = KeepStoredHistory(stored, appended);
        appended.insert(appended.begin(), seam.before.begin(), seam.before.end());
        appended.insert(appended.end(), seam.after.begin(), seam.after.end());
        if (seam.unscaled) reportNote_ = "stored bars kept unscaled: no day in common";
    }
    // One write for all new bars.
    if (written == Result::Ok) written = writer.AppendBars(appended);
    if (written != Result::Ok) {
        ReportStoreFailure(symbol, writer);
        // A rebuild with a failed write is dropped whole; the old file stays.
        (void)writer.ClosePriceFile();
        return false;
    }
    return writer.ClosePriceFile() == Result::Ok || ReportStoreFailure(symbol, writer);
}

// Always false, so callers can return it.
bool CDownloader::ReportStoreFailure(const std::string& symbol, StoreWriter& writer) {
    storeFailed_ = true;
    prompt_.Show(NotStoredText(symbol, writer.LastFailure()), kAppCaption, PromptIcon::Warning,
                 PromptButtons::Ok);
    return false;
}

// The bars a rebuild replaces, when they are of the rebuild's periodicity;
// nothing when they are there but cannot be read.
std::optional<std::vector<PriceBar>> CDownloader::StoredBars(const std::string& symbol,
                                                             Periodicity periodicity) {
    std::vector<PriceBar> bars;
    StoreReader reader(prompt_);
    if (reader.Open(directory_) != Result::Ok) return std::nullopt;
    if (!SeekSecurity(reader, symbol) || PeriodicityOf(reader.GetPeriodicity()) != periodicity)
        return bars;
    if (reader.OpenCurrentPriceFile() != Result::Ok) {
        // A missing file has nothing to keep; one that will not open does.
        const bool missing = !PathExists(FindFile(directory_, reader.GetPriceFileName()));
        return missing ? std::optional(bars) : std::nullopt;
    }
    while (reader.GetRemainingBars() > 0) {
        reader.ReadNextBar();
        bars.push_back(reader.CurrentBar());
    }
    reader.Close();
    return bars;
}

bool CDownloader::DirectoryOpens() {
    if (StoreReader::IsDataDirectory(directory_)) return true;
    prompt_.Show("Directory " + directory_.string() + " is not a data directory.", kAppCaption,
                 PromptIcon::Warning, PromptButtons::Ok);
    session_.stopFlag = 1;
    return false;
}

bool CDownloader::IsTradingDay() const {
    const int weekday = DayOfWeek(clock_.Now().YyyyMmDd());
    return weekday != 0 && weekday != 6;
}

// The run's first writer reads and checks the whole index; later ones read
// of XMASTER only the records of their security, found where the run's
// readers found it.
bool CDownloader::OpenWriter(StoreWriter& writer) {
    const Result opened = positions_ && indexChecked_
                              ? writer.OpenKnown(directory_, *positions_, writerWait_)
                              : writer.Open(directory_, writerWait_);
    if (opened == Result::Ok) {
        indexChecked_ = true;
        return true;
    }
    prompt_.Show(writer.OpenFailureMessage(), kAppCaption, PromptIcon::Warning, PromptButtons::Ok);
    session_.stopFlag = 1;
    return false;
}

}  // namespace corvane
