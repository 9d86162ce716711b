#pragma once

#include <vector>

#include "PriceBar.h"

namespace corvane {

// What a rebuild keeps of the stored history that its answer does not cover:
// the stored bars before the answer's first day and after its last, rescaled
// to the answer's adjustment by the ratio of the new and the stored close on
// the nearest day both hold. The service may no longer have the old days, and
// a rebuild must not cost them.
struct RebuildSeam {
    std::vector<PriceBar> before;  // go in front of the new bars
    std::vector<PriceBar> after;   // go after them
    bool unscaled = false;         // kept bars that no common day could scale
};

// Both lists in ascending date order (CYYMMDD dates).
RebuildSeam KeepStoredHistory(const std::vector<PriceBar>& stored,
                              const std::vector<PriceBar>& fresh);

}  // namespace corvane
