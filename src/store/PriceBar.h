#pragma once

#include <cstdint>

namespace corvane {

// One record of a price file as the store hands it out and takes it in.
struct PriceBar {
    std::int32_t date = 0;  // CYYMMDD
    float open = 0;
    float high = 0;
    float low = 0;
    float close = 0;
    float volume = 0;
    float openInterest = 0;
};

}  // namespace corvane
