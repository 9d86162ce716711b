#include "IndexLookup.h"

#include "Coding.h"
#include "DirectoryFiles.h"

namespace corvane {
namespace {

namespace m = layout::master;
namespace e = layout::emaster;
namespace x = layout::xmaster;

// The keys the lookup rules compare: MASTER symbols end at the first space or
// NUL, EMASTER and XMASTER symbols at the first NUL; case is ignored.
std::string MasterKey(std::span<const std::uint8_t> record) {
    std::string symbol = DecodeText(record, m::kSymbol, m::kSymbolWidth);
    symbol.resize(std::min(symbol.size(), symbol.find(' ')));
    return UpperCase(std::move(symbol));
}
std::string EmasterKey(std::span<const std::uint8_t> record) {
    return UpperCase(DecodeText(record, e::kSymbol, e::kSymbolWidth));
}
std::string XmasterKey(std::span<const std::uint8_t> record) {
    return UpperCase(DecodeText(record, x::kSymbol, x::kSymbolWidth));
}

// The number and kind of a price file name the store could have given
// ("F12.DAT", any case); nothing for any other name.
std::optional<std::pair<std::uint16_t, bool>> ParsePriceFileName(const std::string& name) {
    const std::string upper = UpperCase(name);
    if (upper.size() < 6 || upper[0] != 'F') return std::nullopt;
    const bool extended = upper.ends_with(".MWD");
    if (!extended && !upper.ends_with(".DAT")) return std::nullopt;
    const std::string digits = upper.substr(1, upper.size() - 5);
    if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long number = std::stoul(digits);
    if (number > 0xFFFF || std::to_string(number) != digits) return std::nullopt;
    return std::pair{static_cast<std::uint16_t>(number), extended};
}

}  // namespace

IndexLookup::IndexLookup(const IndexSet& index) {
    masterNumbers_.fill(-1);
    for (std::uint32_t i = 0; i < index.master.Count(); ++i) {
        const auto record = index.master.Record(i);
        masterSymbols_.emplace(MasterKey(record), i);
        std::int64_t& first = masterNumbers_[record[m::kFileNumber]];
        if (first < 0) first = i;
    }
    for (std::uint32_t i = 0; i < index.emaster.Count(); ++i) {
        const auto record = index.emaster.Record(i);
        emasterSymbols_.emplace(EmasterKey(record), i);
        emasterNumbers_.emplace(DecodeU16(record, e::kFileNumber), i);
    }
    for (std::uint32_t i = 0; index.hasXmaster && i < index.xmaster.Count(); ++i) {
        const auto record = index.xmaster.Record(i);
        xmasterSymbols_.emplace(XmasterKey(record), i);
        xmasterNumbers_.emplace(DecodeU16(record, x::kFileNumber), i);
    }
}

std::optional<EntryPlace> IndexLookup::FindSymbol(const std::string& symbol) const {
    const std::string key = UpperCase(symbol);
    if (const auto low = emasterSymbols_.find(key); low != emasterSymbols_.end()) {
        const auto master = masterSymbols_.find(key);
        return EntryPlace{
            master == masterSymbols_.end() ? std::nullopt : std::optional(master->second),
            low->second, false};
    }
    if (const auto high = xmasterSymbols_.find(key); high != xmasterSymbols_.end())
        return EntryPlace{std::nullopt, high->second, true};
    return std::nullopt;
}

std::optional<EntryPlace> IndexLookup::FindPriceFile(const std::string& fileName) const {
    const auto parsed = ParsePriceFileName(fileName);
    if (!parsed) return std::nullopt;
    const auto [number, extended] = *parsed;
    if (!extended) {
        const auto low = emasterNumbers_.find(number);
        if (low == emasterNumbers_.end()) return std::nullopt;
        return EntryPlace{MasterOfNumber(number), low->second, false};
    }
    const auto high = xmasterNumbers_.find(number);
    if (high == xmasterNumbers_.end()) return std::nullopt;
    return EntryPlace{std::nullopt, high->second, true};
}

bool IndexLookup::NumberHeld(std::uint16_t number, bool extended) const {
    if (extended) return xmasterNumbers_.contains(number);
    return MasterOfNumber(number).has_value() || emasterNumbers_.contains(number);
}

void IndexLookup::AddLow(std::uint32_t masterIndex, std::span<const std::uint8_t> masterRecord,
                         std::uint32_t emasterIndex, std::span<const std::uint8_t> emasterRecord) {
    masterSymbols_.emplace(MasterKey(masterRecord), masterIndex);
    std::int64_t& first = masterNumbers_[masterRecord[m::kFileNumber]];
    if (first < 0) first = masterIndex;
    emasterSymbols_.emplace(EmasterKey(emasterRecord), emasterIndex);
    emasterNumbers_.emplace(DecodeU16(emasterRecord, e::kFileNumber), emasterIndex);
}

void IndexLookup::AddExtended(std::uint32_t xmasterIndex,
                              std::span<const std::uint8_t> xmasterRecord) {
    xmasterSymbols_.emplace(XmasterKey(xmasterRecord), xmasterIndex);
    xmasterNumbers_.emplace(DecodeU16(xmasterRecord, x::kFileNumber), xmasterIndex);
}

std::optional<std::uint32_t> IndexLookup::MasterOfNumber(std::uint16_t number) const {
    if (number > 255 || masterNumbers_[number] < 0) return std::nullopt;
    return static_cast<std::uint32_t>(masterNumbers_[number]);
}

}  // namespace corvane
