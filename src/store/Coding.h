#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

// Little-endian fixed-width integers inside a byte buffer. Callers pass
// offsets that lie inside the buffer.
inline std::uint16_t DecodeU16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}
inline std::uint32_t DecodeU32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}
void EncodeU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value);
void EncodeU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value);

float DecodeIeee(std::span<const std::uint8_t> bytes, std::size_t offset);
void EncodeIeee(std::span<std::uint8_t> bytes, std::size_t offset, float value);

// Microsoft Binary Format single. Returns no value for numbers MBF cannot
// hold: infinities, NaNs and magnitudes of 2^127 or more. Zero, negative zero
// and subnormals (too small for MBF) encode as the zero word.
std::optional<std::uint32_t> IeeeToMbf(float value);
// Any word decodes without undefined behaviour; exponent bytes 0 and 1 give 0.
inline float MbfToIeee(std::uint32_t word) {
    const std::uint32_t exponent = word >> 24;
    if (exponent < 2) return 0.0f;
    const std::uint32_t sign = (word >> 23) & 1;
    return std::bit_cast<float>((sign << 31) | ((exponent - 2) << 23) | (word & 0x7FFFFF));
}

// A stored float as a whole number, cut towards zero. Values outside the
// 32-bit range (and NaN) would be undefined to convert, so they give 0.
inline std::int32_t TruncateToInt(float value) {
    if (!(value > -2147483648.0f && value < 2147483648.0f)) return 0;
    return static_cast<std::int32_t>(value);
}

// YYYYMMDD (>= 10,000,000) to CYYMMDD, as a float; CYYMMDD passes unchanged.
float ToShortDate(std::int32_t date);
// CYYMMDD to YYYYMMDD; values above 10,000,000 pass unchanged.
inline std::int32_t ToLongDate(std::int32_t date) {
    return date > 10'000'000 ? date : date + 19'000'000;
}

// A text field: the text up to its first NUL, at most the field's width.
std::string DecodeText(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width);
// The same, viewed in place.
std::string_view TextField(std::span<const std::uint8_t> bytes, std::size_t offset,
                           std::size_t width);
// Writes text cut to the field width, NUL-terminated and zero-filled when shorter.
void EncodeText(std::span<std::uint8_t> bytes, std::size_t offset, std::size_t width,
                std::string_view text);

}  // namespace corvane
