#include "DayQuoteSource.h"

#include <cstdlib>

#include "CalendarDate.h"
#include "Coding.h"
#include "DownloadReport.h"
#include "HistorySource.h"
#include "QueryText.h"

namespace corvane {
namespace {

constexpr const char* kMonths[] = {"Jan ", "Feb ", "Mar ", "Apr ", "May ", "Jun ",
                                   "Jul ", "Aug ", "Sep ", "Oct ", "Nov ", "Dec "};

bool NoQuoteFor(const std::string& symbol) {
    return symbol.find('$') != std::string::npos || symbol.find('&') != std::string::npos;
}

std::optional<double> ReadDecimal(std::string text) {
    std::erase(text, ',');
    std::erase(text, '"');
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str() + begin, &end);
    if (end == text.c_str() + begin) return std::nullopt;
    return value;
}

std::int32_t InTargetForm(std::int32_t yyyymmdd, bool lowEntry) {
    return lowEntry ? TruncateToInt(ToShortDate(yyyymmdd)) : yyyymmdd;
}

// "3/15/2005" (quotes around it allowed) as YYYYMMDD.
std::optional<std::int32_t> ParseUsDate(std::string text) {
    std::erase(text, '"');
    int month = 0, day = 0, year = 0;
    if (std::sscanf(text.c_str(), "%d/%d/%d", &month, &day, &year) != 3) return std::nullopt;
    const std::int32_t date = MakeDate(year, month, day);
    if (!IsValidDate(date)) return std::nullopt;
    return date;
}

// The number after a label: back from the first `anchor` to the nearest '>',
// then up to the next '<'. `next` receives where that '<' stands.
std::optional<double> NumberAfter(const std::string& line, std::size_t from, char anchor,
                                  std::size_t* next = nullptr) {
    const std::size_t mark = line.find(anchor, from);
    if (mark == std::string::npos) return std::nullopt;
    const std::size_t open = line.rfind('>', mark);
    if (open == std::string::npos) return std::nullopt;
    const std::size_t close = line.find('<', open);
    if (next != nullptr) *next = close;
    return ReadDecimal(
        line.substr(open + 1, close == std::string::npos ? close : close - open - 1));
}

// "Mar 15" after a label, up to `end`, as a date of the current year.
std::optional<std::int32_t> MonthDayAfter(const std::string& line, std::size_t from, char end,
                                          int year) {
    std::size_t best = std::string::npos;
    int month = 0;
    for (int m = 0; m < 12; ++m) {
        const std::size_t at = line.find(kMonths[m], from);
        if (at < best) best = at, month = m + 1;
    }
    if (best == std::string::npos) return std::nullopt;
    const std::size_t stop = line.find(end, best);
    const std::string text =
        line.substr(best + 4, stop == std::string::npos ? stop : stop - best - 4);
    const int day = std::atoi(text.c_str());
    const std::int32_t date = MakeDate(year, month, day);
    if (!IsValidDate(date)) return std::nullopt;
    return date;
}

}  // namespace

std::optional<DayQuote> ParseQuoteLine(const std::string& line, bool lowEntry) {
    const std::vector<std::string> fields = SplitFields(line);
    if (fields.size() < 8) return std::nullopt;
    const auto last = ReadDecimal(fields[1]);
    if (!last || *last == 0) return std::nullopt;
    const auto date = ParseUsDate(fields[2]);
    if (!date) return std::nullopt;
    std::string rest = fields[7];
    for (std::size_t i = 8; i < fields.size(); ++i) rest += fields[i];
    DayQuote quote;
    quote.date = InTargetForm(*date, lowEntry);
    quote.close = *last;
    quote.open = ReadDecimal(fields[4]).value_or(0);
    quote.high = ReadDecimal(fields[5]).value_or(0);
    quote.low = ReadDecimal(fields[6]).value_or(0);
    quote.volume = ReadDecimal(rest).value_or(0) * 0.01;
    return quote;
}

std::optional<DayQuote> ParseIndexPage(const std::vector<std::string>& lines, bool lowEntry,
                                       int currentYear) {
    std::optional<double> open, high, low, close, volume;
    std::optional<std::int32_t> date;
    for (const std::string& line : lines) {
        if (auto at = line.find("U.S. Markets"); at != std::string::npos)
            if (auto d = MonthDayAfter(line, at, ',', currentYear)) date = d;
        if (auto at = line.find("Trade Time:"); at != std::string::npos)
            if (auto d = MonthDayAfter(line, at, '<', currentYear)) date = d;
        if (auto at = line.find("Index Value:"); at != std::string::npos)
            close = NumberAfter(line, at, '.');
        if (auto at = line.find("Open:"); at != std::string::npos)
            open = NumberAfter(line, at, '.');
        if (auto at = line.find("Day's Range:"); at != std::string::npos) {
            std::size_t next = std::string::npos;
            low = NumberAfter(line, at, '.', &next);
            if (next != std::string::npos) high = NumberAfter(line, next, '.');
        }
        if (auto at = line.find("Volume:"); at != std::string::npos)
            volume = NumberAfter(line, at, ',');
    }
    if (!date || !close || !open || !low || !high) return std::nullopt;
    return DayQuote{InTargetForm(*date, lowEntry), *open, *high, *low, *close, volume.value_or(0)};
}

int WriteDayQuote(StoreWriter& writer, const QuoteTarget& target, const DayQuote& quote) {
    if (writer.OpenPriceFileBySymbol(target.symbol) != Result::Ok) return kResultNotStored;
    // Price records are always CYYMMDD, whatever form the entry keeps.
    const PriceBar bar{TruncateToInt(ToShortDate(ToLongDate(quote.date))),
                       static_cast<float>(quote.open),
                       static_cast<float>(quote.high),
                       static_cast<float>(quote.low),
                       static_cast<float>(quote.close),
                       static_cast<float>(quote.volume),
                       0};
    // The file's last bar decides, not the entry's date, which may run ahead.
    const std::optional<std::int32_t> fileLast = writer.GetLastBarDate();
    const std::int32_t last = fileLast ? ToLongDate(*fileLast) : 0;
    const std::int32_t date = ToLongDate(quote.date);
    Result written = Result::Ok;
    int added = 0;
    if (fileLast && date == last) {
        written = writer.OverwriteLastBar(bar);
        added = 1;
    } else if (fileLast && IsValidDate(last) && last < date && DaysBetween(last, date) <= 5) {
        written = writer.AppendBar(bar);
        added = 1;
    }
    // Closing sets the entry's dates from the bars.
    if (writer.ClosePriceFile() != Result::Ok) written = Result::Failed;
    return written == Result::Ok ? added : kResultNotStored;
}

int FetchDayQuote(FetchSession& session, StoreWriter& writer, const Clock& clock,
                  const std::string& quoteBaseUrl, const QuoteTarget& target) {
    if (NoQuoteFor(target.symbol)) return 0;
    const auto lines =
        FetchLines(session, quoteBaseUrl + "/d/quotes.csv?s=" + PercentEncode(target.symbol) +
                                "&f=sl1d1c1ohgv");
    if (!lines) return 0;
    const bool lowEntry = target.firstDate < 10'000'000;
    for (const std::string& line : *lines) {
        const auto quote = ParseQuoteLine(line, lowEntry);
        if (!quote) {
            const int result = FetchIndexPage(session, writer, clock, quoteBaseUrl, target);
            return result == kResultNotStored ? result : std::max(0, result);
        }
        return WriteDayQuote(writer, target, *quote);
    }
    return 0;
}

int FetchIndexPage(FetchSession& session, StoreWriter& writer, const Clock& clock,
                   const std::string& quoteBaseUrl, const QuoteTarget& target) {
    if (NoQuoteFor(target.symbol)) return 0;
    const auto lines = FetchLines(session, quoteBaseUrl + "/q?s=" + PercentEncode(target.symbol));
    if (!lines) return -1;
    if (target.symbol.find('^') == std::string::npos) return 0;
    const auto quote = ParseIndexPage(*lines, target.firstDate < 10'000'000, clock.Now().year);
    return quote ? WriteDayQuote(writer, target, *quote) : 0;
}

}  // namespace corvane
