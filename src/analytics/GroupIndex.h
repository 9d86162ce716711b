#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Clock.h"
#include "FetchSession.h"
#include "Progress.h"
#include "SelectionAnalysis.h"

namespace corvane {

enum class IndexType { Equal = 0, Capitalization = 1, Volume = 2 };

// "#EQ_INDEX", "#CAP_INDEX" or "#VOL_INDEX".
const char* IndexSymbol(IndexType type);

// What the Index dialog takes from the selected rows.
struct IndexSelection {
    std::string symbolList;                              // " A B C"
    int selectedCount = 0;                               // N, "#" rows included
    std::int32_t commonFirstDate = 0;                    // latest first date
    std::int32_t commonLastDate = 0;                     // earliest last date
    std::string countText, firstDateText, lastDateText;  // the three info lines
};
IndexSelection ReadIndexSelection(const std::vector<SelectionRow>& rows);

struct IndexRequest {
    std::filesystem::path directory;
    IndexSelection selection;
    IndexType type = IndexType::Equal;
    std::string quoteUrl;  // base URL of the service answering /d/quotes.csv?f=f6
};

enum class IndexOutcome {
    Written,
    NothingToDo,
    InvalidPeriod,
    DirectoryInUse,
    NotADataDirectory,
    Cancelled,
    NotStored  // the index could not be written; its old bars are kept
};

// Shares outstanding / 1000 from "/d/quotes.csv?s=SYMBOL&f=f6"; 0 for an
// answer that is no number. Transient failures are retried as the fetch
// layer bounds them; any other failure is shown once and gives no value.
std::optional<float> FetchCapitalization(FetchSession& session, const std::string& quoteUrl,
                                         const std::string& symbol);

// Combines the daily closes of the selection into one index security.
IndexOutcome CalculateIndex(const IndexRequest& request, FetchSession& session, const Clock& clock,
                            EventPump& pump, Progress& progress);

}  // namespace corvane
