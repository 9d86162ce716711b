#include <gmock/gmock.h>

#include <set>

#include "Coding.h"
#include "StoreFixture.h"

namespace corvane::test {
namespace {

// Directories written by other programs, one by MetaStock itself.
class RealDirectoryTest : public StoreFixture {
protected:
    void Use(const std::string& name) { CopyDirectory(TestDataDir() / "metastock" / name, Dir()); }
};

TEST_F(RealDirectoryTest, MetaStockDirectoryWithExtendedEntries) {
    Use("atem-equis-b");
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 4u);
    struct Expected {
        const char* symbol;
        const char* name;
        std::int32_t first;
        std::int32_t last;
        const char* file;
    };
    const Expected expected[] = {
        {".DJX", "1/100 Dow Jones", 19970923, 20111227, "F1.DAT"},
        {".FCHI", "CAC 40 INDICE", 19880819, 20111227, "F2.DAT"},
        // MetaStock wrote 1900-01-01 at offset 104, the first bar's date at 108.
        {"AZM.L", "AZM.L", 19961231, 20090724, "F256.MWD"},
        {".N225", "NIKKEI 225 INDEX", 19820104, 20111227, "F2853.MWD"},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].symbol);
        EXPECT_EQ(entries[i].symbol, expected[i].symbol);
        EXPECT_EQ(entries[i].name, expected[i].name);
        EXPECT_EQ(entries[i].periodicity, 'D');
        EXPECT_EQ(ToLongDate(entries[i].firstDate), expected[i].first);
        EXPECT_EQ(ToLongDate(entries[i].lastDate), expected[i].last);
        EXPECT_EQ(entries[i].PriceFileName(), expected[i].file);
    }
    const auto bars = Bars(".N225");
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].date, 820104);
    EXPECT_NEAR(bars[0].close, 7718.84, 0.01);
    EXPECT_EQ(Bars(".FCHI").size(), 2u);
}

// MetaStock wrote AZM.L's first date as 1900-01-01 at XMASTER offset 104 and
// as its first bar's date at 108: readers take 108.
TEST_F(RealDirectoryTest, MetaStocks1900FirstDateGivesWayToTheFirstBars) {
    Use("atem-equis-b");
    const auto xmaster = Bytes("XMASTER");
    EXPECT_EQ(DecodeU32(xmaster, 150 + 104), 19000101u);
    EXPECT_EQ(DecodeU32(xmaster, 150 + 108), 19961231u);
    // .N225 holds the same date in both.
    EXPECT_EQ(DecodeU32(xmaster, 300 + 104), 19820104u);
    EXPECT_EQ(DecodeU32(xmaster, 300 + 108), 19820104u);
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].symbol, "AZM.L");
    EXPECT_EQ(entries[2].firstDate, 19961231);
    EXPECT_EQ(ToLongDate(Bars("AZM.L").at(0).date), entries[2].firstDate);
    EXPECT_EQ(entries[3].firstDate, 19820104);
}

TEST_F(RealDirectoryTest, AddingToTheMetaStockDirectoryContinuesItsNumbering) {
    Use("atem-equis-b");
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    ASSERT_EQ(writer_.AddSecurity("NEW", "New", 'D'), Result::Ok);
    writer_.Close();
    EXPECT_TRUE(Exists("F3.DAT"));
    // The XMASTER header bytes MetaStock wrote are kept as they were.
    const auto original = ReadBytes(TestDataDir() / "metastock/atem-equis-b/XMASTER");
    EXPECT_EQ(Bytes("XMASTER"), original);
    EXPECT_EQ(Entries().size(), 5u);
}

TEST_F(RealDirectoryTest, MovingAMetaStockExtendedEntryKeepsItsBars) {
    Use("atem-equis-b");
    const auto bars = Bars("AZM.L");
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    ASSERT_EQ(writer_.DeleteSecurity(".DJX"), Result::Ok);
    writer_.Close();
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].symbol, "AZM.L");
    EXPECT_EQ(entries[1].PriceFileName(), "F1.DAT");
    // MetaStock's 1900-01-01 at XMASTER offset 104 gave way to the copy at 108.
    EXPECT_EQ(entries[1].firstDate, 961231);
    EXPECT_EQ(entries[2].symbol, ".N225");
    EXPECT_EQ(Bars("AZM.L").size(), bars.size());
    EXPECT_EQ(DecodeU32(Bytes("XMASTER"), 18), 2854u);
}

TEST_F(RealDirectoryTest, MixedCaseIndexNamesWith207ExtendedEntries) {
    Use("okomarov-sample");
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 462u);
    EXPECT_EQ(entries[0].symbol, "ASR");
    EXPECT_EQ(entries[0].name, "A.S. ROMA");
    EXPECT_EQ(entries[255].PriceFileName(), "F256.MWD");
    EXPECT_EQ(entries[255].firstDate, 20100105);
    std::size_t bars = 0;
    for (const auto& entry : entries) {
        const auto read = Bars(entry.symbol);
        bars += read.size();
        for (const auto& bar : read) {
            ASSERT_GE(ToLongDate(bar.date), 20100104);
            ASSERT_LE(ToLongDate(bar.date), 20100709);
            ASSERT_EQ(bar.openInterest, 0.0f);
            ASSERT_LE(bar.low, bar.high);
        }
    }
    EXPECT_EQ(bars, 48555u);
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(RealDirectoryTest, DirectoryWithGapsInItsNumbering) {
    Use("mszalik-asx-mining-invalid");
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 215u);
    std::set<std::uint16_t> numbers;
    for (const auto& entry : entries) numbers.insert(entry.fileNumber);
    EXPECT_EQ(numbers.size(), 215u);
    // Only F1.DAT and F2.DAT were kept of this directory's price files.
    EXPECT_EQ(entries[8].symbol, "ABC");
    EXPECT_EQ(entries[8].name, "Adelaide Brighto");
    EXPECT_EQ(ToLongDate(entries[8].firstDate), 19870106);
    EXPECT_EQ(entries[17].PriceFileName(), "F1.DAT");
    const auto bars = Bars("ALB");
    ASSERT_EQ(bars.size(), (58212u - 28) / 28);
    for (std::size_t i = 1; i < bars.size(); ++i) ASSERT_GT(bars[i].date, bars[i - 1].date);
}

}  // namespace
}  // namespace corvane::test
