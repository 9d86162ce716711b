#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "QuoteService.h"
#include "UpstreamFetcher.h"
#include "YahooChart.h"

namespace corvane::gateway {

// Answers the system's requests from Yahoo's v8 chart API, in the layouts
// the local data mode gives. Paths that are not about quotes go to `local`.
class YahooUpstream {
public:
    // nowSeconds: the clock, for "today" (tests fix it).
    YahooUpstream(UpstreamFetcher& fetcher, const QuoteService& local,
                  std::function<std::int64_t()> nowSeconds);
    Answer Handle(const std::string& path, const Query& query);

private:
    struct Chart {
        std::optional<ChartAnswer> answer;
        Answer failure;  // when there is no answer
    };
    Chart FetchChart(const std::string& symbol, std::int32_t from, std::int32_t to,
                     const char* interval);
    Answer History(const Query& query);
    Answer Latest(const std::string& path, const Query& query);
    Answer Forex(const Query& query);
    std::int32_t Today(const std::string& timezone) const;

    UpstreamFetcher& fetcher_;
    const QuoteService& local_;
    std::function<std::int64_t()> nowSeconds_;
};

}  // namespace corvane::gateway
