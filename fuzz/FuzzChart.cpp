// Feeds fuzzed text to the reader of the live service's chart answers.
#include <string>

#include "YahooChart.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace corvane::gateway;
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    (void)ParseChart(text);
    (void)YahooSymbol(text);
    return 0;
}
