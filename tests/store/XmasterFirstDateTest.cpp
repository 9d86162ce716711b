#include <gmock/gmock.h>

#include <cctype>
#include <ostream>
#include <string>

#include "Coding.h"
#include "DirectoryCheck.h"
#include "IndexRecords.h"
#include "StoreCheck.h"
#include "StoreFixture.h"

namespace corvane::test {
namespace {

using ::testing::HasSubstr;

// An XMASTER record laid out byte by byte: F256.MWD, "AZM.L", daily, with
// the two copies of the first date at 104 and 108 and the last date at 116.
XmasterRecord Record(std::uint32_t at104, std::uint32_t at108, std::uint32_t last) {
    XmasterRecord record{};
    record[0] = 0x01;
    const std::string symbol = "AZM.L";
    for (std::size_t i = 0; i < symbol.size(); ++i) {
        record[1 + i] = static_cast<std::uint8_t>(symbol[i]);
        record[16 + i] = static_cast<std::uint8_t>(symbol[i]);
    }
    record[62] = 'D';
    record[65] = 0x00;  // 256, little-endian
    record[66] = 0x01;
    record[70] = 0x7F;
    const auto put = [&record](std::size_t at, std::uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i)
            record[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(80, 19800317);  // what MetaStock's own directory holds there
    put(104, at104);
    put(108, at108);
    put(116, last);
    return record;
}

struct FirstDateCase {
    const char* name;
    std::uint32_t at104;
    std::uint32_t at108;
    std::uint32_t last;
    std::int32_t expected;
};

void PrintTo(const FirstDateCase& c, std::ostream* out) {
    *out << c.name;
}

class XmasterFirstDateTest : public ::testing::TestWithParam<FirstDateCase> {};

TEST_P(XmasterFirstDateTest, TheCopyAt104UnlessItIsNoPlausibleFirstDateAnd108Is) {
    const FirstDateCase& c = GetParam();
    const SecurityRecord entry = DecodeXmasterRecord(Record(c.at104, c.at108, c.last));
    EXPECT_EQ(entry.firstDate, c.expected);
    EXPECT_EQ(entry.lastDate, static_cast<std::int32_t>(c.last));
    EXPECT_EQ(entry.symbol, "AZM.L");
    EXPECT_EQ(entry.fileNumber, 256);
}

const FirstDateCase kFirstDates[] = {
    {"MetaStocks 1900 at 104", 19000101, 19961231, 20090724, 19961231},
    {"1900 in the short form at 104", 101, 19961231, 20090724, 19961231},
    {"zero at 104", 0, 19961231, 20090724, 19961231},
    {"no calendar day at 104", 20000230, 20000228, 20090724, 20000228},
    {"104 after the last date", 20100104, 19961231, 20090724, 19961231},
    {"both plausible and different", 19961231, 19970102, 20090724, 19961231},
    {"the same in both", 19961231, 19961231, 20090724, 19961231},
    {"the day after 1900-01-01 is a date", 19000102, 19961231, 20090724, 19000102},
    {"1900 in both", 19000101, 19000101, 20090724, 19000101},
    {"108 after the last date", 19000101, 20100104, 20090724, 19000101},
    {"108 no calendar day", 19000101, 19961331, 20090724, 19000101},
    {"no last date", 19000101, 19961231, 0, 19000101},
    {"first bar on the last day", 19000101, 20090724, 20090724, 20090724},
    {"a leap day", 19000101, 20000229, 20090724, 20000229},
    {"not a leap day", 19000101, 19000229, 20090724, 19000101},
};

INSTANTIATE_TEST_SUITE_P(Cases, XmasterFirstDateTest, ::testing::ValuesIn(kFirstDates),
                         [](const auto& info) {
                             std::string name;
                             for (const char c : std::string(info.param.name))
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

// A directory whose extended entry carries MetaStock's 1900-01-01 at 104.
class MetaStockFirstDateTest : public StoreFixture {
protected:
    static constexpr std::size_t kRecord = 150;  // the first XMASTER record

    void SetUp() override {
        CreateAndOpen();
        AddSecurities(255);
        ASSERT_EQ(writer_.AddSecurity("EXT", "Extended", 'D'), Result::Ok);
        AppendBars("EXT", 3, 970102);
        ASSERT_EQ(writer_.UpdateSecurityInfo("EXT", 970102, 970104, 'D'), Result::Ok);
        writer_.Close();
        SetU32("XMASTER", kRecord + 104, 19000101);
        ASSERT_EQ(DecodeU32(Bytes("XMASTER"), kRecord + 108), 19970102u);
    }
};

TEST_F(MetaStockFirstDateTest, EveryReaderTakesTheFirstBarsDate) {
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(entries[255].firstDate, 19970102);
    EXPECT_EQ(entries[255].lastDate, 19970104);
    // The store's check and the tests' own judge find the dates agree with the bars.
    EXPECT_TRUE(CheckStore(Dir()).findings.empty());
    EXPECT_THAT(CheckDirectory(Dir()), ::testing::IsEmpty());
    // Reading changes nothing.
    EXPECT_EQ(DecodeU32(Bytes("XMASTER"), kRecord + 104), 19000101u);
}

TEST_F(MetaStockFirstDateTest, AnUpdateWritesBothCopiesTheSame) {
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    const SecurityRecord entry = Entries()[255];
    ASSERT_EQ(writer_.UpdateSecurityInfo("EXT", entry.firstDate, entry.lastDate, 'W'), Result::Ok);
    writer_.Close();
    const auto x = Bytes("XMASTER");
    EXPECT_EQ(DecodeU32(x, kRecord + 104), 19970102u);
    EXPECT_EQ(DecodeU32(x, kRecord + 108), 19970102u);
    EXPECT_EQ(Entries()[255].periodicity, 'W');
}

TEST_F(MetaStockFirstDateTest, TheJudgeTakesTheSameCopy) {
    // Once 108 disagrees with the bars too, both judges name the entry with it.
    SetU32("XMASTER", kRecord + 108, 19961231);
    EXPECT_THAT(CheckDirectory(Dir()),
                ::testing::ElementsAre(HasSubstr("EXT: index dates 19961231-19970104")));
    const CheckReport report = CheckStore(Dir());
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_THAT(report.findings[0], HasSubstr("index dates 19961231-19970104"));
}

}  // namespace
}  // namespace corvane::test
