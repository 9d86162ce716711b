#include "IndexRecords.h"

#include <chrono>

#include "Coding.h"
#include "DirectoryFiles.h"

namespace corvane {
namespace {

namespace m = layout::master;
namespace e = layout::emaster;
namespace x = layout::xmaster;

std::uint32_t MbfDate(std::int32_t cyymmdd) {
    // Dates are far inside MBF's range, so the encoding always succeeds.
    return IeeeToMbf(static_cast<float>(cyymmdd)).value_or(0);
}

std::uint8_t Byte(char c) {
    return static_cast<std::uint8_t>(c);
}

void SetXmasterDates(std::span<std::uint8_t> record, std::int32_t first, std::int32_t last) {
    const auto firstLong = static_cast<std::uint32_t>(ToLongDate(first));
    EncodeU32(record, x::kFirstDateA, firstLong);
    for (std::size_t i = 0; i < 3; ++i)
        record[x::kFirstDateLow + i] = static_cast<std::uint8_t>(firstLong >> (8 * i));
    EncodeU32(record, x::kFirstDate, firstLong);
    EncodeU32(record, x::kFirstDateB, firstLong);
    EncodeU32(record, x::kLastDate, static_cast<std::uint32_t>(ToLongDate(last)));
}

// A plausible first date of an entry whose last date is `last` (either form):
// a real calendar day from 1900-01-02 to 2099-12-31 (the years the CYYMMDD
// form can hold, less the 1900-01-01 that MetaStock leaves in place of a
// date) and not after the last date. An entry whose last date is no date has
// no plausible first date.
bool IsPlausibleFirstDate(std::int32_t first, std::int32_t last) {
    const std::int32_t date = ToLongDate(first);
    if (date <= 19000101 || date > 20991231 || date > ToLongDate(last)) return false;
    using namespace std::chrono;
    return year_month_day{year{date / 10000}, month{static_cast<unsigned>(date / 100 % 100)},
                          day{static_cast<unsigned>(date % 100)}}
        .ok();
}

// MetaStock often leaves 1900-01-01 (19000101, or 101 in the short form) at
// offset 104 while offset 108 holds the first bar's date. The copy at 104 is
// taken unless it is not a plausible first date and the one at 108 is.
std::int32_t XmasterFirstDate(std::span<const std::uint8_t> record, std::int32_t last) {
    const auto first = static_cast<std::int32_t>(DecodeU32(record, x::kFirstDate));
    const auto second = static_cast<std::int32_t>(DecodeU32(record, x::kFirstDateB));
    if (!IsPlausibleFirstDate(first, last) && IsPlausibleFirstDate(second, last)) return second;
    return first;
}

}  // namespace

char UpperPeriodicity(char periodicity) {
    return (periodicity >= 'a' && periodicity <= 'z') ? static_cast<char>(periodicity - 32)
                                                      : periodicity;
}

MasterRecord BuildMasterRecord(const NewEntry& entry) {
    MasterRecord record{};
    record[m::kFileNumber] = static_cast<std::uint8_t>(entry.fileNumber);
    record[m::kFileType] = 0x65;
    record[m::kRecordLength] = 28;
    record[m::kFieldCount] = 7;
    SetMasterText(record, entry.symbol, entry.name);
    SetMasterInfo(record, entry.firstDate, entry.lastDate, entry.periodicity);
    record[m::kMovedFlag] = entry.movedFromXmaster ? 0x20 : 0x00;
    record[m::kSpace] = 0x20;
    return record;
}

EmasterRecord BuildEmasterRecord(const NewEntry& entry) {
    EmasterRecord record{};
    if (entry.movedFromXmaster) {
        record[e::kMovedMark] = '6';
        record[e::kMovedMark + 1] = '6';
        record[e::kMovedFlag] = 0x7F;
    }
    EncodeU16(record, e::kFileNumber, entry.fileNumber);
    record[e::kFieldCount] = 7;
    record[e::kSpace] = 0x20;
    SetEmasterText(record, entry.symbol, entry.name);
    SetEmasterInfo(record, entry.firstDate, entry.lastDate, entry.periodicity);
    return record;
}

XmasterRecord BuildXmasterRecord(const NewEntry& entry) {
    XmasterRecord record{};
    record[x::kMarker] = 0x01;
    SetXmasterText(record, entry.symbol, entry.name);
    EncodeU16(record, x::kFileNumber, entry.fileNumber);
    record[x::kFlag] = 0x7F;
    SetXmasterInfo(record, entry.firstDate, entry.lastDate, entry.periodicity);
    return record;
}

SecurityRecord DecodeEmasterRecord(std::span<const std::uint8_t> record) {
    SecurityRecord security;
    security.symbol = DecodeText(record, e::kSymbol, e::kSymbolWidth);
    security.name = DecodeText(record, e::kName, e::kNameWidth);
    security.periodicity = static_cast<char>(record[e::kPeriodicity]);
    security.firstDate = TruncateToInt(DecodeIeee(record, e::kFirstDate));
    security.lastDate = TruncateToInt(DecodeIeee(record, e::kLastDate));
    security.fileNumber = DecodeU16(record, e::kFileNumber);
    security.fieldCount = static_cast<std::int8_t>(record[e::kFieldCount]);
    security.extended = false;
    return security;
}

SecurityRecord DecodeXmasterRecord(std::span<const std::uint8_t> record) {
    SecurityRecord security;
    security.symbol = DecodeText(record, x::kSymbol, x::kSymbolWidth);
    security.name = DecodeText(record, x::kName, x::kNameWidth);
    security.periodicity = static_cast<char>(record[x::kPeriodicity]);
    security.lastDate = static_cast<std::int32_t>(DecodeU32(record, x::kLastDate));
    security.firstDate = XmasterFirstDate(record, security.lastDate);
    security.fileNumber = DecodeU16(record, x::kFileNumber);
    security.fieldCount = 7;
    security.extended = true;
    return security;
}

// Lookups compare the symbol fields in place: a writer searches them often.
bool MasterSymbolMatches(std::span<const std::uint8_t> record, const std::string& symbol) {
    const std::string_view stored = TextField(record, m::kSymbol, m::kSymbolWidth);
    return EqualsNoCase(stored.substr(0, stored.find(' ')), symbol);
}

bool EmasterSymbolMatches(std::span<const std::uint8_t> record, const std::string& symbol) {
    return EqualsNoCase(TextField(record, e::kSymbol, e::kSymbolWidth), symbol);
}

bool XmasterSymbolMatches(std::span<const std::uint8_t> record, const std::string& symbol) {
    return EqualsNoCase(TextField(record, x::kSymbol, x::kSymbolWidth), symbol);
}

void SetMasterText(std::span<std::uint8_t> record, const std::string& symbol,
                   const std::string& name) {
    EncodeText(record, m::kSymbol, m::kSymbolWidth, symbol);
    EncodeText(record, m::kName, m::kNameWidth, name);
}

void SetEmasterText(std::span<std::uint8_t> record, const std::string& symbol,
                    const std::string& name) {
    EncodeText(record, e::kSymbol, e::kSymbolWidth, symbol);
    EncodeText(record, e::kName, e::kNameWidth, name);
}

void SetXmasterText(std::span<std::uint8_t> record, const std::string& symbol,
                    const std::string& name) {
    EncodeText(record, x::kSymbol, x::kSymbolWidth, symbol);
    EncodeText(record, x::kName, x::kNameWidth, name);
}

void SetMasterInfo(std::span<std::uint8_t> record, std::int32_t first, std::int32_t last,
                   char periodicity) {
    EncodeU32(record, m::kFirstDate, MbfDate(first));
    EncodeU32(record, m::kLastDate, MbfDate(last));
    record[m::kPeriodicity] = Byte(UpperPeriodicity(periodicity));
}

void SetEmasterInfo(std::span<std::uint8_t> record, std::int32_t first, std::int32_t last,
                    char periodicity) {
    record[e::kPeriodicity] = Byte(UpperPeriodicity(periodicity));
    EncodeIeee(record, e::kFirstDate, static_cast<float>(first));
    EncodeIeee(record, e::kLastDate, static_cast<float>(last));
}

void SetXmasterInfo(std::span<std::uint8_t> record, std::int32_t first, std::int32_t last,
                    char periodicity) {
    record[x::kPeriodicity] = Byte(UpperPeriodicity(periodicity));
    SetXmasterDates(record, first, last);
}

}  // namespace corvane
