#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "Coding.h"
#include "DecimalText.h"

namespace corvane::test {
namespace {

std::string Printf(float value, int decimals) {
    char text[128];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
    return text;
}

// How many patterns differ from printf; the first few are named.
struct Mismatches {
    std::uint64_t count = 0;
    std::string first;
    void Check(float value, int decimals) {
        const std::string got = FixedText(value, decimals);
        const std::string want = Printf(value, decimals);
        if (got == want) return;
        if (++count <= 5)
            first += "\n  bits " + std::to_string(std::bit_cast<std::uint32_t>(value)) + " %." +
                     std::to_string(decimals) + "f: " + got + " instead of " + want;
    }
};

// The floats a price file can hold, decoded as the store decodes them: every
// MBF word with an exponent byte from 2 to 255 (bytes 0 and 1 give zero).
constexpr std::uint64_t kPriceFilePatterns = 254ull << 24;
float PriceFilePattern(std::uint64_t index) {
    return MbfToIeee(static_cast<std::uint32_t>((index >> 24) + 2) << 24 |
                     static_cast<std::uint32_t>(index & 0xFFFFFF));
}

TEST(DecimalTextTest, KnownCases) {
    const struct {
        float value;
        int decimals;
        const char* text;
    } cases[] = {
        {0.0f, 2, "0.00"},
        {-0.0f, 2, "-0.00"},
        {-0.001f, 2, "-0.00"},
        {0.125f, 2, "0.12"},  // exact ties go to the even digit
        {0.375f, 2, "0.38"},
        {2.5f, 0, "2"},
        {3.5f, 0, "4"},
        {84.1f, 2, "84.10"},
        {1.0f / 3.0f, 5, "0.33333"},
        {4123400.0f, 2, "4123400.00"},
        {16777217.0f, 0, "16777216"},
        {std::numeric_limits<float>::denorm_min(), 9, "0.000000000"},
        {FLT_MAX, 2, "340282346638528859811704183484516925440.00"},
        {-FLT_MAX, 0, "-340282346638528859811704183484516925440"},
        {std::numeric_limits<float>::infinity(), 2, "inf"},
        {-std::numeric_limits<float>::infinity(), 2, "-inf"},
        {std::numeric_limits<float>::quiet_NaN(), 2, "nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FixedText(c.value, c.decimals), c.text) << c.text;
        EXPECT_EQ(FixedText(c.value, c.decimals), Printf(c.value, c.decimals)) << c.text;
    }
}

TEST(DecimalTextTest, WholeNumbers) {
    for (unsigned long long value : {0ull, 9ull, 10ull, 99ull, 100ull, 1234567890ull,
                                     std::numeric_limits<unsigned long long>::max()}) {
        char text[32];
        EXPECT_EQ(std::string(text, WriteUnsigned(text, value)), std::to_string(value));
    }
}

// Both ends of every binade, both signs, every exponent a float has.
TEST(DecimalTextTest, EveryBinadeBoundaryMatchesPrintf) {
    Mismatches mismatches;
    for (std::uint32_t sign = 0; sign < 2; ++sign)
        for (std::uint32_t exponent = 0; exponent < 255; ++exponent)
            for (std::uint32_t mantissa :
                 {0u, 1u, 2u, 3u, 0x3FFFFFu, 0x400000u, 0x400001u, 0x7FFFFDu, 0x7FFFFEu, 0x7FFFFFu})
                for (int decimals = 0; decimals <= 9; ++decimals)
                    mismatches.Check(std::bit_cast<float>(sign << 31 | exponent << 23 | mantissa),
                                     decimals);
    EXPECT_EQ(mismatches.count, 0u) << mismatches.first;
}

// Every multiple of 1/64 up to 16384: all the exact ties of two and of five
// decimals, where rounding half to even shows.
TEST(DecimalTextTest, ExactTiesMatchPrintf) {
    Mismatches mismatches;
    for (std::uint32_t n = 0; n < (1u << 20); ++n)
        for (int decimals : {0, 1, 2, 5}) mismatches.Check(static_cast<float>(n) / 64.0f, decimals);
    EXPECT_EQ(mismatches.count, 0u) << mismatches.first;
}

// Every float a price file can hold, in steps of a prime: about a million patterns over all
// exponents and mantissas. CORVANE_EXHAUSTIVE=1 checks each of the 4.26 billion patterns for "%.2f"
// (about a quarter of an hour); CORVANE_EXHAUSTIVE=K/N checks the K-th of N equal slices of them.
TEST(DecimalTextTest, PriceFilePatternsMatchPrintf) {
    std::uint64_t begin = 0, end = kPriceFilePatterns, step = 4093;
    if (const char* exhaustive = std::getenv("CORVANE_EXHAUSTIVE")) {
        step = 1;
        unsigned slice = 0, slices = 1;
        if (std::sscanf(exhaustive, "%u/%u", &slice, &slices) == 2 && slices > 0 &&
            slice < slices) {
            begin = kPriceFilePatterns / slices * slice;
            end = slice + 1 == slices ? kPriceFilePatterns
                                      : kPriceFilePatterns / slices * (slice + 1);
        }
    }
    Mismatches mismatches;
    std::uint64_t checked = 0;
    for (std::uint64_t index = begin; index < end; index += step, ++checked) {
        const float value = PriceFilePattern(index);
        mismatches.Check(value, 2);
        if (step > 1 && index % 7 == 0) {
            mismatches.Check(value, 5);
            mismatches.Check(std::trunc(value), 0);
        }
    }
    EXPECT_EQ(mismatches.count, 0u) << mismatches.first;
    EXPECT_GT(checked, 1'000'000u);
}

}  // namespace
}  // namespace corvane::test
