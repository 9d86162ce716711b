#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Byte layouts of the files of a MetaStock data directory. All integers are
// little-endian; offsets are from the start of a header or record.
namespace corvane::layout {

namespace master {
inline constexpr std::size_t kHeaderSize = 53;
inline constexpr std::size_t kRecordSize = 53;
inline constexpr std::size_t kCount = 0;          // u16
inline constexpr std::size_t kHighestNumber = 2;  // u16
inline constexpr std::size_t kFileNumber = 0;     // u8
inline constexpr std::size_t kFileType = 1;       // 0x65 0x00
inline constexpr std::size_t kRecordLength = 3;   // 28
inline constexpr std::size_t kFieldCount = 4;     // 7
inline constexpr std::size_t kName = 7;
inline constexpr std::size_t kNameWidth = 16;
inline constexpr std::size_t kFirstDate = 25;  // MBF CYYMMDD
inline constexpr std::size_t kLastDate = 29;   // MBF CYYMMDD
inline constexpr std::size_t kPeriodicity = 33;
inline constexpr std::size_t kSymbol = 36;
inline constexpr std::size_t kSymbolWidth = 14;
inline constexpr std::size_t kMovedFlag = 50;  // 0x20 in a record moved from XMASTER
inline constexpr std::size_t kSpace = 51;      // 0x20
inline constexpr int kMaxLowEntries = 255;
}  // namespace master

namespace emaster {
inline constexpr std::size_t kHeaderSize = 192;
inline constexpr std::size_t kRecordSize = 192;
inline constexpr std::size_t kCount = 0;          // u16
inline constexpr std::size_t kHighestNumber = 2;  // u16
inline constexpr std::size_t kMovedMark = 0;      // "66" in a record moved from XMASTER
inline constexpr std::size_t kFileNumber = 2;     // u16
inline constexpr std::size_t kFieldCount = 6;     // s8, 7
inline constexpr std::size_t kMovedFlag = 7;      // 0x7F in a record moved from XMASTER
inline constexpr std::size_t kSpace = 9;          // 0x20
inline constexpr std::size_t kSymbol = 11;
inline constexpr std::size_t kSymbolWidth = 14;
inline constexpr std::size_t kName = 32;
inline constexpr std::size_t kNameWidth = 16;
inline constexpr std::size_t kPeriodicity = 60;
inline constexpr std::size_t kFirstDate = 64;  // IEEE CYYMMDD
inline constexpr std::size_t kLastDate = 72;   // IEEE CYYMMDD
}  // namespace emaster

namespace xmaster {
inline constexpr std::size_t kHeaderSize = 150;
inline constexpr std::size_t kRecordSize = 150;
inline constexpr std::array<std::uint8_t, 6> kMagic = {0x5D, 0xFE, 0x58, 0x4D, 0x8B, 0x02};
inline constexpr std::size_t kCountCopy = 10;   // u32
inline constexpr std::size_t kCount = 14;       // u32, the copy readers take
inline constexpr std::size_t kNextNumber = 18;  // u32
inline constexpr std::size_t kPreserved = 22;   // 127 bytes kept as found
inline constexpr std::size_t kPreservedWidth = 127;
inline constexpr std::uint32_t kFirstNumber = 256;
inline constexpr std::size_t kMarker = 0;  // 0x01
inline constexpr std::size_t kSymbol = 1;
inline constexpr std::size_t kSymbolWidth = 14;
inline constexpr std::size_t kName = 16;
inline constexpr std::size_t kNameWidth = 29;
inline constexpr std::size_t kPeriodicity = 62;
inline constexpr std::size_t kFileNumber = 65;    // u16
inline constexpr std::size_t kFlag = 70;          // 0x7F
inline constexpr std::size_t kFirstDateA = 80;    // u32 YYYYMMDD
inline constexpr std::size_t kFirstDateLow = 84;  // three low bytes of the first date
inline constexpr std::size_t kFirstDate = 104;    // u32, the copy readers take unless it is no
inline constexpr std::size_t kFirstDateB = 108;   // plausible first date and this one is
inline constexpr std::size_t kLastDate = 116;     // u32 YYYYMMDD
inline constexpr std::uint32_t kMaxFileNumber = 0xFFFF;
}  // namespace xmaster

// An XMASTER of every extended file number is under 10 MB; anything far
// larger is not an index file, and is never read whole or patched.
inline constexpr std::uint64_t kMaxIndexFileBytes = 16u << 20;

namespace price {
inline constexpr std::size_t kHeaderSize = 28;
inline constexpr std::size_t kRecordSize = 28;
inline constexpr std::size_t kCount = 2;  // s16, records + 1
inline constexpr int kFieldCount = 7;
inline constexpr int kMaxRecords = 32766;
}  // namespace price

}  // namespace corvane::layout
