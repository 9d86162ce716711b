#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "Layout.h"
#include "SecurityRecord.h"

namespace corvane {

using MasterRecord = std::array<std::uint8_t, layout::master::kRecordSize>;
using EmasterRecord = std::array<std::uint8_t, layout::emaster::kRecordSize>;
using XmasterRecord = std::array<std::uint8_t, layout::xmaster::kRecordSize>;

// What a new index record says. Dates: CYYMMDD for the low files, YYYYMMDD
// for XMASTER.
struct NewEntry {
    std::string symbol;
    std::string name;
    char periodicity = 'D';
    std::uint16_t fileNumber = 0;
    std::int32_t firstDate = 0;
    std::int32_t lastDate = 0;
    bool movedFromXmaster = false;  // marks the low records as MetaStock does for moved entries
};

MasterRecord BuildMasterRecord(const NewEntry& entry);
EmasterRecord BuildEmasterRecord(const NewEntry& entry);
XmasterRecord BuildXmasterRecord(const NewEntry& entry);

SecurityRecord DecodeEmasterRecord(std::span<const std::uint8_t> record);
// The first date comes from offset 104, or from the copy at 108 when the one
// at 104 is not a plausible first date (MetaStock leaves 1900-01-01 there) and
// the one at 108 is: a calendar day after 1900-01-01, not after the last date.
SecurityRecord DecodeXmasterRecord(std::span<const std::uint8_t> record);

// Lookup rules: MASTER symbols end at the first space or NUL (other programs
// pad with spaces), EMASTER and XMASTER symbols at the first NUL. Case is
// ignored.
bool MasterSymbolMatches(std::span<const std::uint8_t> record, const std::string& symbol);
bool EmasterSymbolMatches(std::span<const std::uint8_t> record, const std::string& symbol);
bool XmasterSymbolMatches(std::span<const std::uint8_t> record, const std::string& symbol);

// Field writers used by rename and update.
void SetMasterText(std::span<std::uint8_t> record, const std::string& symbol,
                   const std::string& name);
void SetEmasterText(std::span<std::uint8_t> record, const std::string& symbol,
                    const std::string& name);
void SetXmasterText(std::span<std::uint8_t> record, const std::string& symbol,
                    const std::string& name);
void SetMasterInfo(std::span<std::uint8_t> record, std::int32_t first, std::int32_t last,
                   char periodicity);
void SetEmasterInfo(std::span<std::uint8_t> record, std::int32_t first, std::int32_t last,
                    char periodicity);
void SetXmasterInfo(std::span<std::uint8_t> record, std::int32_t first, std::int32_t last,
                    char periodicity);

char UpperPeriodicity(char periodicity);

}  // namespace corvane
