#include "Coding.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace corvane {

void EncodeU16(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void EncodeU32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

float DecodeIeee(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::bit_cast<float>(DecodeU32(bytes, offset));
}

void EncodeIeee(std::span<std::uint8_t> bytes, std::size_t offset, float value) {
    EncodeU32(bytes, offset, std::bit_cast<std::uint32_t>(value));
}

std::optional<std::uint32_t> IeeeToMbf(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t exponent = (bits >> 23) & 0xFF;
    if (exponent >= 254) return std::nullopt;
    if (exponent == 0) return 0u;
    const std::uint32_t sign = bits >> 31;
    return ((exponent + 2) << 24) | (sign << 23) | (bits & 0x7FFFFF);
}

float ToShortDate(std::int32_t date) {
    return static_cast<float>(date >= 10'000'000 ? date - 19'000'000 : date);
}

std::string DecodeText(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
    return std::string(TextField(bytes, offset, width));
}

std::string_view TextField(std::span<const std::uint8_t> bytes, std::size_t offset,
                           std::size_t width) {
    const auto* begin = bytes.data() + offset;
    const auto* end = std::find(begin, begin + width, std::uint8_t{0});
    return {reinterpret_cast<const char*>(begin), static_cast<std::size_t>(end - begin)};
}

void EncodeText(std::span<std::uint8_t> bytes, std::size_t offset, std::size_t width,
                std::string_view text) {
    const std::size_t length = std::min(width, text.size());
    std::memset(bytes.data() + offset, 0, width);
    std::memcpy(bytes.data() + offset, text.data(), length);
}

}  // namespace corvane
