#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "Coding.h"
#include "DirectoryFiles.h"

namespace corvane {
namespace {

std::uint32_t Word(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return b0 | (b1 << 8) | (b2 << 16) | (static_cast<std::uint32_t>(b3) << 24);
}

TEST(MbfTest, KnownEncodingsAndBack) {
    struct Case {
        float value;
        std::uint32_t word;
    };
    const Case cases[] = {
        {1.0f, Word(0x00, 0x00, 0x00, 0x81)},
        {1.5f, Word(0x00, 0x00, 0x40, 0x81)},
        {10.0f, Word(0x00, 0x00, 0x20, 0x84)},
        {-2.5f, Word(0x00, 0x00, 0xA0, 0x82)},
        {0.0f, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IeeeToMbf(c.value), c.word) << c.value;
        EXPECT_EQ(MbfToIeee(c.word), c.value) << c.value;
    }
}

TEST(MbfTest, EveryNormalFloatRoundTrips) {
    std::mt19937 random(42);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (float value : {0.75f, 1.5f, -0.75f, -1.5f, 1050315.0f, 1e-30f, 1e30f}) {
        EXPECT_EQ(MbfToIeee(IeeeToMbf(value).value()), value);
    }
    for (int i = 0; i < 200000; ++i) {
        const float value = std::bit_cast<float>(bits(random));
        if (!std::isnormal(value) || std::fabs(value) >= 0x1p127f) continue;
        ASSERT_EQ(MbfToIeee(IeeeToMbf(value).value()), value) << value;
    }
}

TEST(MbfTest, ValuesMbfCannotHoldAreRefused) {
    for (float value :
         {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
          std::numeric_limits<float>::quiet_NaN(), 0x1p127f, -0x1.8p127f,
          std::numeric_limits<float>::max()}) {
        EXPECT_FALSE(IeeeToMbf(value).has_value()) << value;
    }
    EXPECT_TRUE(IeeeToMbf(0x1.fffffep126f).has_value());
}

TEST(MbfTest, ZeroesAndSubnormalsEncodeAsTheZeroWord) {
    EXPECT_EQ(IeeeToMbf(-0.0f), 0u);
    EXPECT_EQ(IeeeToMbf(std::numeric_limits<float>::denorm_min()), 0u);
}

TEST(MbfTest, ExponentBytesZeroAndOneDecodeAsZero) {
    for (std::uint32_t word : {Word(1, 0, 0, 0), Word(0xFF, 0xFF, 0xFF, 0x00),
                               Word(0, 0, 0x80, 0x01), Word(0x12, 0x34, 0x56, 0x01)}) {
        EXPECT_EQ(MbfToIeee(word), 0.0f) << std::hex << word;
    }
}

TEST(MbfTest, AnyWordDecodesToAFiniteNumber) {
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
        const float value = MbfToIeee((exponent << 24) | 0xFFFFFF);
        EXPECT_TRUE(std::isfinite(value)) << exponent;
    }
}

TEST(DateFormTest, ShortAndLongForms) {
    struct Case {
        std::int32_t input;
        float shortForm;
        std::int32_t longForm;
    };
    const Case cases[] = {
        {20050315, 1050315.0f, 20050315},
        {19991231, 991231.0f, 19991231},
        {1050315, 1050315.0f, 20050315},
        {991231, 991231.0f, 19991231},
        // The thresholds differ: ToShortDate converts 10,000,000 itself, ToLongDate does not.
        {10000000, -9000000.0f, 29000000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToShortDate(c.input), c.shortForm) << c.input;
        EXPECT_EQ(ToLongDate(c.input), c.longForm) << c.input;
    }
}

TEST(DateFormTest, TruncationNeverOverflows) {
    EXPECT_EQ(TruncateToInt(1050315.9f), 1050315);
    EXPECT_EQ(TruncateToInt(-3.7f), -3);
    EXPECT_EQ(TruncateToInt(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(TruncateToInt(1e30f), 0);
    EXPECT_EQ(TruncateToInt(-1e30f), 0);
}

TEST(TextFieldTest, CutToWidthTerminatedWhenShorter) {
    std::uint8_t field[6];
    std::fill(std::begin(field), std::end(field), 0xAA);
    EncodeText(field, 1, 4, "AB");
    EXPECT_EQ(std::vector<std::uint8_t>(field, field + 6),
              (std::vector<std::uint8_t>{0xAA, 'A', 'B', 0, 0, 0xAA}));
    EncodeText(field, 1, 4, "ABCDEFG");
    EXPECT_EQ(std::vector<std::uint8_t>(field, field + 6),
              (std::vector<std::uint8_t>{0xAA, 'A', 'B', 'C', 'D', 0xAA}));
    EXPECT_EQ(DecodeText(field, 1, 4), "ABCD");
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST(TextCaseTest, Latin1LettersFoldOtherBytesStay) {
    // Division sign, y with diaeresis and sharp s have no single-byte capital.
    EXPECT_EQ(UpperCase("nestl\xE9 a\xE0\xFE \xF7\xFF\xDF 1"),
              "NESTL\xC9 A\xC0\xDE \xF7\xFF\xDF 1");
    EXPECT_TRUE(EqualsNoCase("Soci\xE9t\xE9", "SOCI\xC9T\xC9"));
    EXPECT_FALSE(EqualsNoCase("\xF7", "\xD7"));
}

}  // namespace
}  // namespace corvane
