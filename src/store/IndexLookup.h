#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "IndexSet.h"

namespace corvane {

// Where the entries of an IndexSet stand, by symbol, price file name and
// file number, taken in one pass over its records: a writer's lookups
// without a scan of the index per call. It answers as IndexSet::FindSymbol
// and IndexSet::FindPriceFile do for the records it was built from; the
// writer adds the records it appends and builds it anew after any other
// change.
class IndexLookup {
public:
    explicit IndexLookup(const IndexSet& index);

    std::optional<EntryPlace> FindSymbol(const std::string& symbol) const;
    std::optional<EntryPlace> FindPriceFile(const std::string& fileName) const;
    // Whether an index record holds the number: a MASTER or EMASTER record
    // for a low number, an XMASTER record for an extended one.
    bool NumberHeld(std::uint16_t number, bool extended) const;

    // Records appended at these positions.
    void AddLow(std::uint32_t masterIndex, std::span<const std::uint8_t> masterRecord,
                std::uint32_t emasterIndex, std::span<const std::uint8_t> emasterRecord);
    void AddExtended(std::uint32_t xmasterIndex, std::span<const std::uint8_t> xmasterRecord);

private:
    using Positions = std::unordered_map<std::string, std::uint32_t>;
    using Numbers = std::unordered_map<std::uint16_t, std::uint32_t>;

    std::optional<std::uint32_t> MasterOfNumber(std::uint16_t number) const;

    // The first record of each symbol (case folded) and of each file number.
    Positions masterSymbols_, emasterSymbols_, xmasterSymbols_;
    std::array<std::int64_t, 256> masterNumbers_;  // -1 where no MASTER record has the number
    Numbers emasterNumbers_, xmasterNumbers_;
};

}  // namespace corvane
