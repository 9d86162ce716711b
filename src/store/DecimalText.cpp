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

constexpr std::uint64_t PowerOfTen(int exponent) {
    std::uint64_t power = 1;
    while (exponent-- > 0) power *= 10;
    return power;
}

// Exactly `Count` digits of `value`, zeros in front.
template <int Count>
char* WritePadded(char* out, std::uint64_t value) {
    char* at = out + Count;
    for (int left = Count; left >= 2; left -= 2) {
        at -= 2;
        std::memcpy(at, kDigitPairs + 2 * (value % 100), 2);
        value /= 100;
    }
    if constexpr (Count % 2 == 1) *--at = static_cast<char>('0' + value % 10);
    return out + Count;
}

// The mantissa and power of a finite float below 2^64 in fixed notation.
// Each count of decimals is its own function, so that dividing by its power
// of ten is a multiplication.
template <int Decimals>
char* WriteFixedDigits(char* out, std::uint64_t mantissa, int power) {
    constexpr std::uint64_t kScale = PowerOfTen(Decimals);
    std::uint64_t whole = 0, fraction = 0;
    if (power >= 0) {
        whole = mantissa << power;
    } else {
        // The value times 10^Decimals is mantissa * 10^Decimals / 2^shift,
        // below 2^54 before the shift; rounded half to even as printf does.
        const std::uint64_t scaled = mantissa * kScale;
        const int shift = -power;
        std::uint64_t rounded = 0;
        if (shift < 64) {
            rounded = scaled >> shift;
            const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
            const std::uint64_t half = std::uint64_t{1} << (shift - 1);
            if (rest > half || (rest == half && (rounded & 1) != 0)) ++rounded;
        }
        whole = rounded / kScale;
        fraction = rounded % kScale;
    }
    out = WriteUnsigned(out, whole);
    if constexpr (Decimals == 0) {
        return out;
    } else {
        *out++ = '.';
        return WritePadded<Decimals>(out, fraction);
    }
}

}  // namespace

int DecimalDigits(unsigned long long value) {
    int digits = 1;
    for (; value >= 100; value /= 100) digits += 2;
    return value >= 10 ? digits + 1 : digits;
}

char* WriteUnsigned(char* out, unsigned long long value) {
    const int digits = DecimalDigits(value);
    char* at = out + digits;
    while (value >= 100) {
        at -= 2;
        std::memcpy(at, kDigitPairs + 2 * (value % 100), 2);
        value /= 100;
    }
    if (value >= 10)
        std::memcpy(at - 2, kDigitPairs + 2 * value, 2);
    else
        at[-1] = static_cast<char>('0' + value);
    return out + digits;
}

char* WriteFixed(char* out, float value, int decimals) {
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
    decimals = std::clamp(decimals, 0, 9);
    if (power > 39) {
        // Past 2^63 the digits need more than 64 bits; such prices are absurd
        // but still get printf's digits.
        const auto [end, error] =
            std::to_chars(out, out + kMaxFixedChars - 1, std::fabs(static_cast<double>(value)),
                          std::chars_format::fixed, decimals);
        return error == std::errc() ? end : out;
    }
    switch (decimals) {
        case 0:
            return WriteFixedDigits<0>(out, mantissa, power);
        case 1:
            return WriteFixedDigits<1>(out, mantissa, power);
        case 2:
            return WriteFixedDigits<2>(out, mantissa, power);
        case 3:
            return WriteFixedDigits<3>(out, mantissa, power);
        case 4:
            return WriteFixedDigits<4>(out, mantissa, power);
        case 5:
            return WriteFixedDigits<5>(out, mantissa, power);
        case 6:
            return WriteFixedDigits<6>(out, mantissa, power);
        case 7:
            return WriteFixedDigits<7>(out, mantissa, power);
        case 8:
            return WriteFixedDigits<8>(out, mantissa, power);
        default:
            return WriteFixedDigits<9>(out, mantissa, power);
    }
}

std::string FixedText(float value, int decimals) {
    char text[kMaxFixedChars];
    return std::string(text, WriteFixed(text, value, decimals));
}

}  // namespace corvane
