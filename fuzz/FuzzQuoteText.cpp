// Feeds fuzzed text to every reader of the quote services' answers.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "DayQuoteSource.h"
#include "ForexSource.h"
#include "HistorySource.h"
#include "HttpClient.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace corvane;
    FuzzedDataProvider data(bytes, size);
    const std::int32_t start = data.ConsumeIntegral<std::int32_t>();
    const bool lowEntry = data.ConsumeBool();
    const std::string text = data.ConsumeRemainingBytesAsString();
    const std::vector<std::string> lines = SplitLines(text);

    int adjusted = 0;
    for (bool forex : {false, true}) {
        const HistoryPage page = ReadHistoryResponse(lines, start, forex);
        for (const HistoryRow& row : page.rows) (void)RowToBar(row, adjusted);
    }
    for (const std::string& line : lines) {
        (void)ParseRowDate(line);
        (void)ReshapeForexLine(line);
        (void)ParseQuoteLine(line, lowEntry);
    }
    (void)ParseIndexPage(lines, lowEntry, 2005);
    return 0;
}
