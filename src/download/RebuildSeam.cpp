#include "RebuildSeam.h"

#include <algorithm>
#include <map>
#include <optional>

namespace corvane {
namespace {

// The new close over the stored one on the first common day found walking
// `order`; nothing when no day is common or the stored close is zero.
template <typename Iterator>
std::optional<float> RatioAt(Iterator begin, Iterator end, const std::map<int, float>& freshClose) {
    for (auto it = begin; it != end; ++it) {
        const auto found = freshClose.find(it->date);
        if (found == freshClose.end()) continue;
        if (it->close == 0) return std::nullopt;
        return found->second / it->close;
    }
    return std::nullopt;
}

std::vector<PriceBar> Scaled(std::vector<PriceBar> bars, std::optional<float> ratio) {
    if (!ratio) return bars;
    for (PriceBar& bar : bars) {
        bar.open *= *ratio;
        bar.high *= *ratio;
        bar.low *= *ratio;
        bar.close *= *ratio;
    }
    return bars;
}

}  // namespace

RebuildSeam KeepStoredHistory(const std::vector<PriceBar>& stored,
                              const std::vector<PriceBar>& fresh) {
    RebuildSeam seam;
    if (stored.empty() || fresh.empty()) return seam;
    const int first = fresh.front().date;
    const int last = fresh.back().date;
    std::map<int, float> freshClose;
    for (const PriceBar& bar : fresh) freshClose[bar.date] = bar.close;

    const auto beforeEnd = std::find_if(stored.begin(), stored.end(),
                                        [&](const PriceBar& bar) { return bar.date >= first; });
    const auto afterBegin = std::find_if(stored.begin(), stored.end(),
                                         [&](const PriceBar& bar) { return bar.date > last; });
    if (beforeEnd != stored.begin()) {
        const auto ratio = RatioAt(beforeEnd, stored.end(), freshClose);
        seam.before = Scaled({stored.begin(), beforeEnd}, ratio);
        seam.unscaled = seam.unscaled || !ratio;
    }
    if (afterBegin != stored.end()) {
        const auto ratio =
            RatioAt(std::make_reverse_iterator(afterBegin), stored.rend(), freshClose);
        seam.after = Scaled({afterBegin, stored.end()}, ratio);
        seam.unscaled = seam.unscaled || !ratio;
    }
    return seam;
}

}  // namespace corvane
