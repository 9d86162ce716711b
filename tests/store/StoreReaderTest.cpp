#include <gmock/gmock.h>

#include "Coding.h"
#include "StoreCheck.h"
#include "StoreFixture.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

class StoreReaderTest : public StoreFixture {};

TEST_F(StoreReaderTest, CountsDownTheEntries) {
    CreateAndOpen();
    AddSecurities(2);
    writer_.Close();
    ASSERT_EQ(reader_.Open(Dir()), Result::Ok);
    EXPECT_EQ(reader_.GetRemainingSecurities(), 2);
    reader_.NextSecurity();
    EXPECT_EQ(reader_.GetRemainingSecurities(), 1);
    EXPECT_EQ(reader_.GetSymbol(), "S1");
    EXPECT_EQ(reader_.GetName(), "Name 1");
    EXPECT_EQ(reader_.GetPeriodicity(), 'D');
    EXPECT_EQ(reader_.GetFieldCount(), 7);
    EXPECT_EQ(reader_.GetFirstDate(), 1030315);
    EXPECT_EQ(reader_.GetPriceFileName(), "F1.DAT");
    reader_.NextSecurity();
    EXPECT_EQ(reader_.GetRemainingSecurities(), 0);
    reader_.Close();
}

TEST_F(StoreReaderTest, ExtendedEntriesComeLastInLongDateForm) {
    CreateAndOpen();
    AddSecurities(258);
    writer_.Close();
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 258u);
    EXPECT_FALSE(entries[254].extended);
    EXPECT_EQ(entries[254].firstDate, 1030315);
    for (int i = 255; i < 258; ++i) {
        EXPECT_TRUE(entries[i].extended);
        EXPECT_EQ(entries[i].firstDate, 20030315);
        EXPECT_EQ(entries[i].fileNumber, i + 1);
        EXPECT_TRUE(entries[i].PriceFileName().ends_with(".MWD"));
    }
}

TEST_F(StoreReaderTest, SearchOnlyGoesForward) {
    CreateAndOpen();
    AddSecurities(3);
    writer_.Close();
    ASSERT_EQ(reader_.Open(Dir()), Result::Ok);
    ASSERT_EQ(reader_.OpenPriceFileBySymbol("s2"), Result::Ok);
    reader_.ClosePriceFile();
    EXPECT_EQ(reader_.OpenPriceFileBySymbol("S1"), Result::Failed);
    reader_.Close();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text, "Can not find security: S1");
    EXPECT_EQ(prompt_.shown[0].caption, "Vaultix");
}

TEST_F(StoreReaderTest, MissingPriceFileIsReported) {
    CreateAndOpen();
    AddSecurities(1);
    writer_.Close();
    std::filesystem::remove(PathOf("F1.DAT"));
    ASSERT_EQ(reader_.Open(Dir()), Result::Ok);
    EXPECT_EQ(reader_.OpenPriceFileBySymbol("S1"), Result::Failed);
    EXPECT_THAT(prompt_.Texts(), ElementsAre("Can not open security file."));
}

TEST_F(StoreReaderTest, ReadsBarsToTheEnd) {
    CreateAndOpen();
    AddSecurities(1);
    AppendBars("S1", 3, 1050315);
    writer_.Close();
    ASSERT_EQ(reader_.Open(Dir()), Result::Ok);
    ASSERT_EQ(reader_.OpenPriceFileBySymbol("S1"), Result::Ok);
    EXPECT_EQ(reader_.GetBarCount(), 3);
    for (int i = 0; i < 3; ++i) reader_.ReadNextBar();
    EXPECT_EQ(reader_.GetRemainingBars(), 0);
    EXPECT_EQ(reader_.GetBarDate(), 1050317);
    EXPECT_EQ(reader_.GetBarClose(), 12.0f);
    EXPECT_EQ(reader_.GetBarHigh(), 13.0f);
    EXPECT_EQ(reader_.GetBarOpenInterest(), 0.0f);
}

// A run over many symbols reads the entries once and finds each symbol in
// that table: the same entry, bars and messages as a search, wherever the
// walk stands.
TEST_F(StoreReaderTest, EntryTableFindsAnySymbolWithTheSearchsResults) {
    CreateAndOpen();
    AddSecurities(258);
    AppendBars("S1", 2);
    AppendBars("S257", 4, 1060101);
    writer_.Close();
    std::filesystem::remove(PathOf("F3.DAT"));
    // S2 renamed to S1 by another program: the first entry of a symbol wins.
    auto emaster = Bytes("EMASTER");
    EncodeText(emaster, 192 * 2 + 11, 14, "s1");
    WriteBytes(PathOf("EMASTER"), emaster);
    const auto entries = Entries();
    ASSERT_EQ(reader_.Open(Dir()), Result::Ok);
    const auto all = reader_.ReadAllEntries();
    ASSERT_EQ(all.size(), entries.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i].symbol, entries[i].symbol);
        EXPECT_EQ(all[i].PriceFileName(), entries[i].PriceFileName());
        EXPECT_EQ(all[i].firstDate, entries[i].firstDate);
    }
    for (const int position : {0, 1, 254, 255, 257}) {
        ASSERT_TRUE(reader_.SeekEntry(position)) << position;
        EXPECT_EQ(reader_.GetPriceFileName(), entries[position].PriceFileName());
    }
    EXPECT_FALSE(reader_.SeekEntry(258));
    EXPECT_FALSE(reader_.SeekEntry(-1));

    while (reader_.GetRemainingSecurities() > 0) reader_.NextSecurity();
    reader_.LoadEntryTable();
    std::vector<PriceBar> bars;
    ASSERT_EQ(reader_.ReadBarsBySymbol("s257", bars), Result::Ok);
    EXPECT_EQ(reader_.GetSymbol(), "S257");
    const auto stored = Bars("S257");
    ASSERT_EQ(bars.size(), 4u);
    for (std::size_t i = 0; i < bars.size(); ++i) EXPECT_EQ(bars[i].date, stored[i].date);
    EXPECT_EQ(bars[3].close, stored[3].close);
    ASSERT_EQ(reader_.ReadBarsBySymbol("S1", bars), Result::Ok);
    EXPECT_EQ(reader_.GetPriceFileName(), "F1.DAT");
    EXPECT_EQ(bars.size(), 2u);
    ASSERT_EQ(reader_.OpenPriceFileBySymbol("S4"), Result::Ok);
    EXPECT_EQ(reader_.GetBarCount(), 0);
    reader_.ClosePriceFile();
    EXPECT_EQ(reader_.ReadBarsBySymbol("S3", bars), Result::Failed);
    EXPECT_EQ(reader_.ReadBarsBySymbol("NOPE", bars), Result::Failed);
    EXPECT_TRUE(bars.empty());
    EXPECT_THAT(prompt_.Texts(),
                ElementsAre("Can not open security file.", "Can not find security: NOPE"));
}

TEST_F(StoreReaderTest, DataDirectoryTestNeedsOnlyEmaster) {
    WriteBytes(PathOf("EMASTER"), std::vector<std::uint8_t>(192, 0));
    EXPECT_TRUE(StoreReader::IsDataDirectory(Dir()));
    EXPECT_EQ(reader_.Open(Dir()), Result::Failed);
    EXPECT_FALSE(StoreReader::IsDataDirectory(Dir() / "elsewhere"));
}

TEST_F(StoreReaderTest, FileNamesMatchWhateverTheirCase) {
    CreateAndOpen();
    AddSecurities(256);
    AppendBars("S1", 2);
    writer_.Close();
    std::filesystem::rename(PathOf("MASTER"), PathOf("master"));
    std::filesystem::rename(PathOf("EMASTER"), PathOf("Emaster"));
    std::filesystem::rename(PathOf("XMASTER"), PathOf("xMaster"));
    std::filesystem::rename(PathOf("F1.DAT"), PathOf("f1.dat"));
    EXPECT_EQ(Entries().size(), 256u);
    EXPECT_EQ(Bars("S1").size(), 2u);
    // The writer finds them too and keeps their names.
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    AppendBars("S1", 1);
    ASSERT_EQ(writer_.DeleteSecurity("S256"), Result::Ok);
    writer_.Close();
    EXPECT_FALSE(Exists("xMaster"));
    EXPECT_EQ(Bars("S1").size(), 3u);
    EXPECT_FALSE(Exists("F1.DAT") && !Exists("f1.dat"));
}

// Counts that claim more records than the file holds.
class OverstatedCountTest : public StoreFixture {
protected:
    void SetUp() override {
        CreateAndOpen();
        AddSecurities(257);
        AppendBars("S1", 3);
        writer_.Close();
    }
    // The bars as one read of the whole file gives them.
    std::vector<PriceBar> WholeRead(const std::string& symbol) {
        std::vector<PriceBar> bars;
        EXPECT_EQ(ReadPriceFile(Dir() / ("F" + symbol.substr(1) + ".DAT"), bars), true);
        return bars;
    }
};

TEST_F(OverstatedCountTest, IndexCountsBeyondTheRecordsPresent) {
    struct Case {
        const char* file;
        std::size_t offset;
        std::uint32_t count;
        bool wide;
    };
    const Case cases[] = {
        {"EMASTER", 0, 300, false},
        {"EMASTER", 0, 0xFFFF, false},
        {"XMASTER", 14, 9, true},
        {"XMASTER", 14, 0xFFFFFFFF, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " count " + std::to_string(c.count));
        const auto original = Bytes(c.file);
        if (c.wide)
            SetU32(c.file, c.offset, c.count);
        else
            SetU16(c.file, c.offset, static_cast<std::uint16_t>(c.count));
        const auto entries = Entries();
        EXPECT_EQ(entries.size(), 257u);
        EXPECT_EQ(entries.back().symbol, "S257");
        WriteBytes(PathOf(c.file), original);
    }
}

TEST_F(OverstatedCountTest, PriceCountBeyondTheRecordsPresentOrNegative) {
    for (std::uint16_t count : {std::uint16_t{5}, std::uint16_t{32767}, std::uint16_t{0x8000},
                                std::uint16_t{0}, std::uint16_t{0xFFFF}}) {
        SCOPED_TRACE(count);
        SetU16("F1.DAT", 2, count);
        const auto bars = Bars("S1");
        ASSERT_EQ(bars.size(), 3u);
        EXPECT_EQ(bars[2].close, 12.0f);
        EXPECT_EQ(WholeRead("S1").size(), 3u);
    }
}

TEST_F(OverstatedCountTest, TruncatedFilesReadOnlyWhatIsThere) {
    TruncateBy("F1.DAT", 10);  // the third record is cut short
    EXPECT_EQ(Bars("S1").size(), 2u);
    EXPECT_EQ(WholeRead("S1").size(), 2u);
    TruncateBy("EMASTER", 192 * 250);
    TruncateBy("XMASTER", 1);
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries.back().symbol, "S256");
}

TEST_F(OverstatedCountTest, WriterRefusesUntilRepairedThenAppendsAfterTheLastRealRecord) {
    SetU16("F1.DAT", 2, 40);
    SetU16("EMASTER", 0, 400);
    ASSERT_EQ(writer_.Open(Dir()), Result::Failed);
    EXPECT_EQ(writer_.OpenFailureMessage(),
              "Directory " + Dir().string() +
                  " is damaged: EMASTER: its header counts 400 records, the file holds 255; run "
                  "corvane-cli check --repair");
    const RepairReport repair = RepairStore(Dir(), std::chrono::milliseconds(0));
    ASSERT_EQ(repair.result, Result::Ok) << repair.failure;
    EXPECT_EQ(repair.done.front(), "EMASTER: record count set to 255 from the records");
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    AppendBars("S1", 1, 1060101);
    writer_.Close();
    const auto bars = Bars("S1");
    ASSERT_EQ(bars.size(), 4u);
    EXPECT_EQ(bars.back().date, 1060101);
    EXPECT_EQ(U16At("F1.DAT", 2), 5);
}

}  // namespace
}  // namespace corvane::test
