#include "DecimalText.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace corvane {
namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr std::uint64_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                          100000, 1000000, 10000000, 100000000, 1000000000};

// Exactly `count` digits of `value`, zeros in front.
char* WritePadded(char* out, std::uint64_t value, int count) {
    char* at = out + count;
    while (at > out) {
        *--at = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + count;
}

}  // namespace

char* WriteUnsigned(char* out, unsigned long long value) {
    char text[20];
    char* at = text + sizeof text;
    while (value >= 100) {
        at -= 2;
        std::memcpy(at, kDigitPairs + 2 * (value % 100), 2);
        value /= 100;
    }
    if (value >= 10) {
        at -= 2;
        std::memcpy(at, kDigitPairs + 2 * value, 2);
    } else {
        *--at = static_cast<char>('0' + value);
    }
    const auto length = static_cast<std::size_t>(text + sizeof text - at);
    std::memcpy(out, at, length);
    return out + length;
}

char* WriteFixed(char* out, float value, int decimals) {
    decimals = std::clamp(decimals, 0, 9);
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t exponent = (bits >> 23) & 0xFF;
    std::uint64_t mantissa = bits & 0x7FFFFF;
    if (bits >> 31) *out++ = '-';
    if (exponent == 0xFF) {
        std::memcpy(out, mantissa != 0 ? "nan" : "inf", 3);
        return out + 3;
    }
    // value = mantissa * 2^power exactly.
    int power = -149;
    if (exponent != 0) {
        mantissa |= 0x800000;
        power = static_cast<int>(exponent) - 150;
    }
    std::uint64_t whole = 0, fraction = 0;
    if (power >= 0) {
        if (power > 39) {
            // Past 2^63 the digits need more than 64 bits; such prices are
            // absurd but still get printf's digits.
            const auto [end, error] =
                std::to_chars(out, out + kMaxFixedChars - 1, std::fabs(static_cast<double>(value)),
                              std::chars_format::fixed, decimals);
            return error == std::errc() ? end : out;
        }
        whole = mantissa << power;
    } else {
        // The value times 10^decimals is mantissa * 10^decimals / 2^shift,
        // below 2^54 before the shift; rounded half to even as printf does.
        const std::uint64_t scaled = mantissa * kPowersOfTen[decimals];
        const int shift = -power;
        std::uint64_t rounded = 0;
        if (shift < 64) {
            rounded = scaled >> shift;
            const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
            const std::uint64_t half = std::uint64_t{1} << (shift - 1);
            if (rest > half || (rest == half && (rounded & 1) != 0)) ++rounded;
        }
        whole = rounded / kPowersOfTen[decimals];
        fraction = rounded % kPowersOfTen[decimals];
    }
    out = WriteUnsigned(out, whole);
    if (decimals == 0) return out;
    *out++ = '.';
    return WritePadded(out, fraction, decimals);
}

std::string FixedText(float value, int decimals) {
    char text[kMaxFixedChars];
    return std::string(text, WriteFixed(text, value, decimals));
}

}  // namespace corvane
