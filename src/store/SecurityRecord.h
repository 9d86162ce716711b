#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// One index entry. Dates are as stored: CYYMMDD for a low entry, YYYYMMDD for
// an extended one; pass them through ToLongDate before comparing or showing.
struct SecurityRecord {
    std::string symbol;
    std::string name;
    char periodicity = 'D';
    std::int32_t firstDate = 0;
    std::int32_t lastDate = 0;
    std::uint16_t fileNumber = 0;
    int fieldCount = 7;
    bool extended = false;

    std::string PriceFileName() const;
};

}  // namespace corvane
