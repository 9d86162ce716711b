#include "DataDirBuilder.h"

#include <chrono>
#include <stdexcept>

#include "FixedClock.h"
#include "RecordingPrompt.h"
#include "StoreReader.h"
#include "StoreWriter.h"

namespace corvane::test {

namespace {

void Check(Result result, const std::string& what) {
    if (!Succeeded(result)) throw std::runtime_error("fixture: " + what);
}

}  // namespace

std::int32_t DayAfterFirst(int days) {
    using namespace std::chrono;
    const year_month_day date{sys_days{2005y / January / 3} + std::chrono::days{days}};
    return (static_cast<int>(date.year()) - 1900) * 10000 +
           static_cast<int>(unsigned(date.month())) * 100 + static_cast<int>(unsigned(date.day()));
}

void MakeDataDir(const std::filesystem::path& directory,
                 const std::vector<StoredSecurity>& securities) {
    RecordingPrompt prompt;
    FixedClock clock;
    StoreWriter writer(prompt, clock);
    Check(writer.CreateDirectory(directory), "create " + directory.string());
    Check(writer.Open(directory), "open " + directory.string());
    for (const StoredSecurity& security : securities) {
        Check(writer.AddSecurity(security.symbol, security.name, security.periodicity),
              "add " + security.symbol);
        Check(writer.OpenPriceFileForWrite(security.symbol, true), "price file " + security.symbol);
        std::vector<PriceBar> bars;
        for (int i = 0; i < security.bars; ++i) {
            const float close = 10.0f + static_cast<float>(i);
            bars.push_back(
                PriceBar{DayAfterFirst(i), close, close + 1, close - 1, close, 1000.0f + i, 0});
        }
        Check(writer.AppendBars(bars), "bars " + security.symbol);
        Check(writer.ClosePriceFile(), "close " + security.symbol);
        if (security.bars > 0)
            Check(writer.UpdateSecurityInfo(security.symbol, 1050103,
                                            DayAfterFirst(security.bars - 1), security.periodicity),
                  "dates " + security.symbol);
    }
    writer.Close();
}

std::vector<SecurityRecord> ReadEntries(const std::filesystem::path& directory) {
    RecordingPrompt prompt;
    StoreReader reader(prompt);
    std::vector<SecurityRecord> entries;
    if (!Succeeded(reader.Open(directory))) return entries;
    while (reader.GetRemainingSecurities() > 0) {
        reader.NextSecurity();
        entries.push_back(reader.CurrentSecurity());
    }
    reader.Close();
    return entries;
}

std::vector<std::string> ReadSymbols(const std::filesystem::path& directory) {
    std::vector<std::string> symbols;
    for (const SecurityRecord& entry : ReadEntries(directory)) symbols.push_back(entry.symbol);
    return symbols;
}

std::vector<PriceBar> ReadBars(const std::filesystem::path& directory, const std::string& symbol) {
    RecordingPrompt prompt;
    StoreReader reader(prompt);
    std::vector<PriceBar> bars;
    if (!Succeeded(reader.Open(directory))) return bars;
    if (Succeeded(reader.OpenPriceFileBySymbol(symbol))) {
        while (reader.GetRemainingBars() > 0) {
            reader.ReadNextBar();
            bars.push_back(reader.CurrentBar());
        }
    }
    reader.Close();
    return bars;
}

}  // namespace corvane::test
