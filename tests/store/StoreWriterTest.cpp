#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "Coding.h"
#include "EntryTable.h"
#include "StoreFixture.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                                std::size_t length) {
    return {bytes.begin() + static_cast<long>(offset),
            bytes.begin() + static_cast<long>(offset + length)};
}

std::vector<std::uint8_t> Text(const std::string& text, std::size_t width) {
    std::vector<std::uint8_t> field(width, 0);
    std::copy(text.begin(), text.end(), field.begin());
    return field;
}

std::vector<std::uint8_t> LittleEndian(std::uint32_t value, std::size_t width) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < width; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return bytes;
}

std::vector<std::uint8_t> Zeros(std::size_t width) {
    return std::vector<std::uint8_t>(width, 0);
}

class StoreWriterTest : public StoreFixture {};

TEST_F(StoreWriterTest, NewDirectoryHasZeroHeadersOnly) {
    CreateAndOpen();
    writer_.Close();
    EXPECT_EQ(Bytes("MASTER"), Zeros(53));
    EXPECT_EQ(Bytes("EMASTER"), Zeros(192));
    EXPECT_FALSE(Exists("XMASTER"));
}

TEST_F(StoreWriterTest, CreateDirectoryLeavesExistingIndexFilesAlone) {
    CreateAndOpen();
    AddSecurities(2);
    writer_.Close();
    const auto master = Bytes("MASTER");
    const auto emaster = Bytes("EMASTER");
    ASSERT_EQ(writer_.CreateDirectory(Dir()), Result::Ok);
    EXPECT_EQ(Bytes("MASTER"), master);
    EXPECT_EQ(Bytes("EMASTER"), emaster);
}

TEST_F(StoreWriterTest, FirstSecurityRecordsAreByteExact) {
    CreateAndOpen();  // the clock stands at 15 March 2005
    ASSERT_EQ(writer_.AddSecurity("IBM", "Intl Business", 'd'), Result::Ok);
    writer_.Close();

    const auto master = Bytes("MASTER");
    ASSERT_EQ(master.size(), 106u);
    EXPECT_EQ(U16At("MASTER", 0), 1);
    EXPECT_EQ(U16At("MASTER", 2), 1);
    EXPECT_EQ(Slice(master, 4, 49), Zeros(49));
    const std::uint32_t mbfDate = IeeeToMbf(1030315.0f).value();
    std::vector<std::uint8_t> expected = {1, 0x65, 0x00, 28, 7, 0, 0};
    auto append = [&](const std::vector<std::uint8_t>& part) {
        expected.insert(expected.end(), part.begin(), part.end());
    };
    append(Text("Intl Business", 16));
    append(Zeros(2));
    append(LittleEndian(mbfDate, 4));
    append(LittleEndian(mbfDate, 4));
    append({'D', 0, 0});
    append(Text("IBM", 14));
    append({0x00, 0x20, 0x00});
    EXPECT_EQ(Slice(master, 53, 53), expected);

    const auto emaster = Bytes("EMASTER");
    ASSERT_EQ(emaster.size(), 384u);
    EXPECT_EQ(U16At("EMASTER", 0), 1);
    EXPECT_EQ(U16At("EMASTER", 2), 1);
    EXPECT_EQ(Slice(emaster, 4, 188), Zeros(188));
    const auto record = Slice(emaster, 192, 192);
    EXPECT_EQ(Slice(record, 0, 11),
              (std::vector<std::uint8_t>{0, 0, 1, 0, 0, 0, 7, 0, 0, 0x20, 0}));
    EXPECT_EQ(Slice(record, 11, 21), Text("IBM", 21));
    EXPECT_EQ(Slice(record, 32, 28), Text("Intl Business", 28));
    EXPECT_EQ(Slice(record, 60, 4), (std::vector<std::uint8_t>{'D', 0, 0, 0}));
    EXPECT_EQ(DecodeIeee(record, 64), 1030315.0f);
    EXPECT_EQ(Slice(record, 68, 4), Zeros(4));
    EXPECT_EQ(DecodeIeee(record, 72), 1030315.0f);
    EXPECT_EQ(Slice(record, 76, 116), Zeros(116));

    EXPECT_THAT(Bytes("F1.DAT"), ElementsAre(0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                             0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
}

TEST_F(StoreWriterTest, TwoYearsBackFromALeapDayIsAValidDate) {
    clock_.Set({2024, 2, 29, 9, 0, 0, 4});
    CreateAndOpen();
    AddSecurities(1);
    writer_.Close();
    EXPECT_EQ(Entries().at(0).firstDate, 1220228);
}

TEST_F(StoreWriterTest, ExtendedEntriesBeginAtThe256thSecurity) {
    CreateAndOpen();
    AddSecurities(255);
    EXPECT_FALSE(Exists("XMASTER"));
    ASSERT_EQ(writer_.AddSecurity("EXT1", "A name of twenty-nine chars!!", 'w'), Result::Ok);
    EXPECT_EQ(SizeOf("XMASTER"), 300u);
    ASSERT_EQ(writer_.AddSecurity("EXT2", "Second", 'M'), Result::Ok);
    writer_.Close();

    EXPECT_TRUE(Exists("F256.MWD"));
    EXPECT_TRUE(Exists("F257.MWD"));
    const auto x = Bytes("XMASTER");
    ASSERT_EQ(x.size(), 450u);
    EXPECT_THAT(Slice(x, 0, 6), ElementsAre(0x5D, 0xFE, 0x58, 0x4D, 0x8B, 0x02));
    EXPECT_EQ(DecodeU32(x, 10), 2u);
    EXPECT_EQ(DecodeU32(x, 14), 2u);
    EXPECT_EQ(DecodeU32(x, 18), 258u);
    EXPECT_EQ(Slice(x, 22, 128), Zeros(128));

    const auto record = Slice(x, 150, 150);
    EXPECT_EQ(record[0], 0x01);
    EXPECT_EQ(Slice(record, 1, 15), Text("EXT1", 15));
    EXPECT_EQ(Slice(record, 16, 29), Text("A name of twenty-nine chars!!", 29));
    EXPECT_EQ(Slice(record, 45, 17), Zeros(17));
    EXPECT_EQ(record[62], 'W');
    EXPECT_EQ(DecodeU16(record, 65), 256);
    EXPECT_EQ(record[70], 0x7F);
    EXPECT_EQ(DecodeU32(record, 80), 20030315u);
    EXPECT_THAT(Slice(record, 84, 3),
                ElementsAre(20030315 & 0xFF, (20030315 >> 8) & 0xFF, (20030315 >> 16) & 0xFF));
    EXPECT_EQ(DecodeU32(record, 104), 20030315u);
    EXPECT_EQ(DecodeU32(record, 108), 20030315u);
    EXPECT_EQ(DecodeU32(record, 116), 20030315u);
    EXPECT_EQ(Slice(record, 120, 30), Zeros(30));

    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 257u);
    EXPECT_TRUE(entries[255].extended);
    EXPECT_EQ(entries[255].PriceFileName(), "F256.MWD");
    EXPECT_EQ(entries[256].symbol, "EXT2");
}

TEST_F(StoreWriterTest, FreedLowNumberIsReusedOnceAllWereAssigned) {
    CreateAndOpen();
    AddSecurities(255);
    ASSERT_EQ(writer_.DeleteSecurity("S17"), Result::Ok);
    EXPECT_FALSE(Exists("F17.DAT"));
    ASSERT_EQ(writer_.AddSecurity("NEW", "New", 'D'), Result::Ok);
    writer_.Close();
    EXPECT_TRUE(Exists("F17.DAT"));
    EXPECT_FALSE(Exists("XMASTER"));
    EXPECT_EQ(U16At("MASTER", 0), 255);
    EXPECT_EQ(U16At("MASTER", 2), 255);
    EXPECT_EQ(Entries().back().PriceFileName(), "F17.DAT");
}

TEST_F(StoreWriterTest, NoFreeFileNumberCreatesNothing) {
    CreateAndOpen();
    AddSecurities(256);
    writer_.Close();
    SetU32("XMASTER", 18, 0xFFFF + 1);  // every extended number has been used
    const auto before = Bytes("XMASTER");
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    EXPECT_EQ(writer_.AddSecurity("MORE", "More", 'D'), Result::Failed);
    writer_.Close();
    EXPECT_EQ(Bytes("XMASTER"), before);
    EXPECT_EQ(Entries().size(), 256u);
}

TEST_F(StoreWriterTest, LongAndOddTextStaysInsideItsField) {
    CreateAndOpen();
    const std::string symbol = std::string("SYM\xff\x01\x20", 6) + "ABCDEFGHIJKLMNOP";
    const std::string name(40, '\xe9');
    ASSERT_EQ(writer_.AddSecurity(symbol, name, 'D'), Result::Ok);
    AddSecurities(1);
    writer_.Close();
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].symbol, symbol.substr(0, 14));
    EXPECT_EQ(entries[0].name, name.substr(0, 16));
    EXPECT_EQ(entries[1].symbol, "S1");
    EXPECT_EQ(SizeOf("MASTER"), 53u * 3);
    EXPECT_EQ(SizeOf("EMASTER"), 192u * 3);
}

TEST_F(StoreWriterTest, RenameChangesBothLowFilesOrTheLongExtendedName) {
    CreateAndOpen();
    AddSecurities(256);
    ASSERT_EQ(writer_.RenameSecurity("s3", "Renamed", "R3"), Result::Ok);
    const std::string longName = "An extended name of 29 chars.";
    ASSERT_EQ(writer_.RenameSecurity("S256", longName + "cut", "R256"), Result::Ok);
    writer_.Close();
    const auto master = Bytes("MASTER");
    EXPECT_EQ(Slice(master, 3 * 53 + 36, 14), Text("R3", 14));
    EXPECT_EQ(Slice(master, 3 * 53 + 7, 16), Text("Renamed", 16));
    const auto entries = Entries();
    EXPECT_EQ(entries[2].symbol, "R3");
    EXPECT_EQ(entries[2].name, "Renamed");
    EXPECT_EQ(entries[255].symbol, "R256");
    EXPECT_EQ(entries[255].name, longName);
}

TEST_F(StoreWriterTest, MasterSymbolPaddedWithSpacesStillMatches) {
    CreateAndOpen();
    AddSecurities(1, "ABC");
    writer_.Close();
    auto master = Bytes("MASTER");
    for (std::size_t i = 53 + 36 + 4; i < 53 + 50; ++i) master[i] = ' ';
    WriteBytes(PathOf("MASTER"), master);
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    ASSERT_EQ(writer_.RenameSecurity("abc1", "Renamed", "XYZ"), Result::Ok);
    writer_.Close();
    EXPECT_EQ(Slice(Bytes("MASTER"), 53 + 36, 14), Text("XYZ", 14));
}

TEST_F(StoreWriterTest, UpdateInfoRewritesDatesAndPeriodicity) {
    CreateAndOpen();
    AddSecurities(256);
    ASSERT_EQ(writer_.UpdateSecurityInfo("S1", 1000103, 1051230, 'w'), Result::Ok);
    ASSERT_EQ(writer_.UpdateSecurityInfo("S256", 991231, 1051230, 'm'), Result::Ok);
    writer_.Close();
    const auto master = Bytes("MASTER");
    EXPECT_EQ(MbfToIeee(DecodeU32(master, 53 + 25)), 1000103.0f);
    EXPECT_EQ(MbfToIeee(DecodeU32(master, 53 + 29)), 1051230.0f);
    EXPECT_EQ(master[53 + 33], 'W');
    const auto entries = Entries();
    EXPECT_EQ(entries[0].firstDate, 1000103);
    EXPECT_EQ(entries[0].periodicity, 'W');
    EXPECT_EQ(entries[255].firstDate, 19991231);
    EXPECT_EQ(entries[255].lastDate, 20051230);
    EXPECT_EQ(DecodeU32(Bytes("XMASTER"), 150 + 80), 19991231u);
}

TEST_F(StoreWriterTest, RenameToTheSymbolOfAnotherEntryIsRefused) {
    CreateAndOpen();
    AddSecurities(2);
    EXPECT_EQ(writer_.RenameSecurity("S1", "Other", "s2"), Result::Failed);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].text, "Security already exists: s2");
    EXPECT_EQ(writer_.RenameSecurity("S1", "Same entry", "s1"), Result::Ok);  // a change of case
    writer_.Close();
    EXPECT_EQ(Symbols(), (std::vector<std::string>{"s1", "S2"}));
}

TEST_F(StoreWriterTest, UnknownSymbolIsReportedAndFails) {
    CreateAndOpen();
    AddSecurities(1);
    EXPECT_EQ(writer_.DeleteSecurity("NOPE"), Result::Failed);  // said even without XMASTER
    AddSecurities(255, "T");
    EXPECT_EQ(writer_.DeleteSecurity("NOPE"), Result::Failed);
    EXPECT_EQ(writer_.RenameSecurity("NOPE", "n", "s"), Result::Failed);
    EXPECT_EQ(writer_.UpdateSecurityInfo("NOPE", 1, 2, 'D'), Result::Failed);
    writer_.Close();
    ASSERT_EQ(prompt_.shown.size(), 4u);
    for (const auto& shown : prompt_.shown) {
        EXPECT_EQ(shown.text, "Can not find security: NOPE");
        EXPECT_EQ(shown.caption, "Vaultix");
        EXPECT_EQ(shown.buttons, PromptButtons::Ok);
    }
    EXPECT_EQ(Entries().size(), 256u);
}

TEST_F(StoreWriterTest, DeletingTheOnlySecurityRemovesTheIndexFiles) {
    CreateAndOpen();
    AddSecurities(1);
    ASSERT_EQ(writer_.DeleteSecurity("S1"), Result::Ok);
    writer_.Close();
    EXPECT_FALSE(Exists("MASTER"));
    EXPECT_FALSE(Exists("EMASTER"));
    EXPECT_FALSE(Exists("F1.DAT"));
    EXPECT_TRUE(std::filesystem::is_empty(Dir()));  // nothing of ours stays either
    EXPECT_FALSE(StoreReader::IsDataDirectory(Dir()));
}

TEST_F(StoreWriterTest, DeletingALowEntryMovesTheFirstExtendedEntryIn) {
    CreateAndOpen();
    AddSecurities(255);
    ASSERT_EQ(writer_.AddSecurity("EXT", "An extended security name", 'W'), Result::Ok);
    AppendBars("EXT", 3);
    const auto mwd = Bytes("F256.MWD");
    ASSERT_EQ(writer_.DeleteSecurity("S10"), Result::Ok);
    writer_.Close();

    EXPECT_FALSE(Exists("XMASTER"));
    EXPECT_FALSE(Exists("F256.MWD"));
    EXPECT_EQ(Bytes("F10.DAT"), mwd);
    EXPECT_EQ(U16At("MASTER", 0), 255);
    EXPECT_EQ(U16At("MASTER", 2), 255);
    EXPECT_EQ(SizeOf("MASTER"), 53u * 256);
    EXPECT_EQ(SizeOf("EMASTER"), 192u * 256);

    const auto master = Slice(Bytes("MASTER"), 255 * 53, 53);
    EXPECT_EQ(Slice(master, 0, 7), (std::vector<std::uint8_t>{10, 0x65, 0, 28, 7, 0, 0}));
    EXPECT_EQ(Slice(master, 7, 18), Text("An extended secu", 18));
    // The dates followed the three bars when they were written.
    EXPECT_EQ(MbfToIeee(DecodeU32(master, 25)), 1050101.0f);
    EXPECT_EQ(Slice(master, 33, 3), (std::vector<std::uint8_t>{'W', 0, 0}));
    EXPECT_EQ(Slice(master, 36, 14), Text("EXT", 14));
    EXPECT_EQ(Slice(master, 50, 3), (std::vector<std::uint8_t>{0x20, 0x20, 0}));

    const auto emaster = Slice(Bytes("EMASTER"), 255 * 192, 192);
    EXPECT_EQ(Slice(emaster, 0, 11),
              (std::vector<std::uint8_t>{'6', '6', 10, 0, 0, 0, 7, 0x7F, 0, 0x20, 0}));
    EXPECT_EQ(DecodeIeee(emaster, 64), 1050101.0f);

    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 255u);
    EXPECT_EQ(entries.back().symbol, "EXT");
    EXPECT_EQ(entries.back().PriceFileName(), "F10.DAT");
    EXPECT_EQ(Bars("EXT").size(), 3u);
}

TEST_F(StoreWriterTest, DeletingAnExtendedEntryKeepsTheRestAndTheNextNumber) {
    CreateAndOpen();
    AddSecurities(258);
    ASSERT_EQ(writer_.DeleteSecurity("S257"), Result::Ok);
    writer_.Close();
    const auto x = Bytes("XMASTER");
    EXPECT_EQ(x.size(), 450u);
    EXPECT_EQ(DecodeU32(x, 10), 2u);
    EXPECT_EQ(DecodeU32(x, 14), 2u);
    EXPECT_EQ(DecodeU32(x, 18), 259u);
    EXPECT_FALSE(Exists("F257.MWD"));
    const auto symbols = Symbols();
    ASSERT_EQ(symbols.size(), 257u);
    EXPECT_EQ(symbols[255], "S256");
    EXPECT_EQ(symbols[256], "S258");
}

TEST_F(StoreWriterTest, AppendAndOverwriteBars) {
    CreateAndOpen();
    AddSecurities(1);
    ASSERT_EQ(writer_.OpenPriceFileBySymbol("s1"), Result::Ok);
    EXPECT_FALSE(writer_.GetLastBarDate().has_value());
    ASSERT_EQ(writer_.AppendBar(MakeBar(1050315, 1.5f)), Result::Ok);
    EXPECT_EQ(SizeOf("F1.DAT"), 56u);
    EXPECT_EQ(U16At("F1.DAT", 2), 2);
    EXPECT_EQ(MbfToIeee(DecodeU32(Bytes("F1.DAT"), 28)), 1050315.0f);
    ASSERT_EQ(writer_.AppendBar(MakeBar(1050316, 2.0f)), Result::Ok);
    ASSERT_EQ(writer_.OverwriteLastBar(MakeBar(1050317, -0.75f)), Result::Ok);
    EXPECT_EQ(SizeOf("F1.DAT"), 84u);
    EXPECT_EQ(writer_.GetFirstBarDate(), 1050315);
    EXPECT_EQ(writer_.GetLastBarDate(), 1050317);
    EXPECT_EQ(writer_.ClosePriceFile(), Result::Ok);
    writer_.Close();
    const auto bars = Bars("S1");
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[1].date, 1050317);
    EXPECT_EQ(bars[1].close, -0.75f);
    EXPECT_EQ(bars[1].low, -2.75f);
    EXPECT_EQ(bars[1].volume, 1000.0f);
}

TEST_F(StoreWriterTest, CreateFlagEmptiesThePriceFile) {
    CreateAndOpen();
    AddSecurities(1);
    AppendBars("S1", 500);
    ASSERT_EQ(writer_.OpenPriceFileForWrite("S1", true), Result::Ok);
    EXPECT_EQ(writer_.ClosePriceFile(), Result::Ok);
    EXPECT_EQ(SizeOf("F1.DAT"), 28u);
    EXPECT_EQ(U16At("F1.DAT", 2), 1);
}

TEST_F(StoreWriterTest, BarOperationsWithoutAnOpenFileFail) {
    CreateAndOpen();
    AddSecurities(1);
    EXPECT_EQ(writer_.AppendBar(MakeBar(1050315, 1)), Result::Failed);
    EXPECT_EQ(writer_.OverwriteLastBar(MakeBar(1050315, 1)), Result::Failed);
    EXPECT_FALSE(writer_.GetFirstBarDate().has_value());
    EXPECT_EQ(writer_.OpenPriceFileBySymbol("MISSING"), Result::Failed);
    ASSERT_EQ(writer_.OpenPriceFileBySymbol("S1"), Result::Ok);
    // Overwriting "the last bar" of an empty file would overwrite its header.
    EXPECT_EQ(writer_.OverwriteLastBar(MakeBar(1050315, 1)), Result::Failed);
    EXPECT_EQ(SizeOf("F1.DAT"), 28u);
}

TEST_F(StoreWriterTest, ValuesMbfCannotHoldAreRefusedAndLeaveTheFileAlone) {
    CreateAndOpen();
    AddSecurities(1);
    AppendBars("S1", 1);
    const auto before = Bytes("F1.DAT");
    ASSERT_EQ(writer_.OpenPriceFileForWrite("S1", false), Result::Ok);
    for (float bad : {std::numeric_limits<float>::infinity(),
                      std::numeric_limits<float>::quiet_NaN(), 0x1p127f}) {
        PriceBar bar = MakeBar(1050315, 1);
        bar.volume = bad;
        EXPECT_EQ(writer_.AppendBar(bar), Result::Failed);
        EXPECT_EQ(writer_.OverwriteLastBar(bar), Result::Failed);
    }
    EXPECT_EQ(writer_.ClosePriceFile(), Result::Ok);
    EXPECT_EQ(Bytes("F1.DAT"), before);
}

TEST_F(StoreWriterTest, FullPriceFileRefusesOneMoreBar) {
    CreateAndOpen();
    AddSecurities(1);
    writer_.Close();
    std::vector<std::uint8_t> full(28 * 32767, 0);
    EncodeU16(full, 2, 32767);
    for (std::size_t k = 1; k < 32767; ++k)
        EncodeU32(full, 28 * k, IeeeToMbf(static_cast<float>(1000101 + k)).value());
    WriteBytes(PathOf("F1.DAT"), full);
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    ASSERT_EQ(writer_.OpenPriceFileForWrite("S1", false), Result::Ok);
    EXPECT_EQ(writer_.AppendBar(MakeBar(1100101, 1)), Result::Failed);
    EXPECT_EQ(writer_.ClosePriceFile(), Result::Ok);
    EXPECT_EQ(Bytes("F1.DAT"), full);
}

TEST_F(StoreWriterTest, AppendingManyLeavesOutOnlyWhatCannotBeStored) {
    CreateAndOpen();
    AddSecurities(1);
    ASSERT_EQ(writer_.OpenPriceFileForWrite("S1", false), Result::Ok);
    const std::vector<PriceBar> bars = {MakeBar(1050314, 1), MakeBar(1050315, NAN),
                                        MakeBar(1050316, 3)};
    EXPECT_EQ(writer_.AppendBars(bars), Result::Failed);
    EXPECT_EQ(writer_.AppendBars(std::vector<PriceBar>{MakeBar(1050317, 4)}), Result::Ok);
    EXPECT_EQ(writer_.ClosePriceFile(), Result::Ok);
    writer_.Close();
    const auto read = Bars("S1");
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[1].date, 1050316);
    EXPECT_EQ(read[2].close, 4.0f);
    EXPECT_EQ(U16At("F1.DAT", 2), 4);
}

TEST_F(StoreWriterTest, AFileInTheWayOfTheNextNumberIsPassedOver) {
    CreateAndOpen();
    AddSecurities(1);
    // Left by other programs, in any case.
    std::filesystem::create_directory(PathOf("F2.DAT"));
    WriteBytes(PathOf("f3.dat"), {1});
    WriteBytes(PathOf("F4.dAt"), {1});
    ASSERT_EQ(writer_.AddSecurity("S2", "Two", 'D'), Result::Ok);
    EXPECT_TRUE(std::filesystem::is_directory(PathOf("F2.DAT")));
    EXPECT_EQ(Bytes("f3.dat"), std::vector<std::uint8_t>{1});
    for (const char* name : {"F2.DAT", "f3.dat", "F4.dAt"}) std::filesystem::remove(PathOf(name));
    AddSecurities(253, "T");  // up to 255, then 2 to 4
    WriteBytes(PathOf("f256.Mwd"), {1});
    ASSERT_EQ(writer_.AddSecurity("X", "Extended", 'D'), Result::Ok);
    writer_.Close();
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(entries[1].PriceFileName(), "F5.DAT");
    EXPECT_EQ(entries[254].PriceFileName(), "F4.DAT");
    EXPECT_EQ(entries.back().PriceFileName(), "F257.MWD");
    EXPECT_EQ(Bytes("f256.Mwd"), std::vector<std::uint8_t>{1});
}

// A writer takes the records it appends into its own images instead of
// reading the index again: a long session must leave the same bytes as a
// fresh writer for every change, through extended entries, moves into freed
// low places, reused numbers and refusals.
TEST_F(StoreWriterTest, OneSessionLeavesTheBytesOfAWriterPerChange) {
    using Step = std::function<Result(StoreWriter&)>;
    std::vector<Step> script;
    auto add = [&](const std::string& symbol) {
        script.push_back(
            [symbol](StoreWriter& w) { return w.AddSecurity(symbol, "N " + symbol, 'd'); });
    };
    for (int i = 1; i <= 253; ++i) add("S" + std::to_string(i));
    script.push_back([](StoreWriter& w) { return w.DeleteSecurity("S17"); });
    for (const char* symbol : {"A", "B", "C", "D", "E"})
        add(symbol);  // 17 again, 254, 255, XMASTER
    script.push_back([](StoreWriter& w) { return w.DeleteSecurity("s40"); });  // E moves in
    script.push_back([](StoreWriter& w) { return w.AddSecurity("a", "taken", 'D'); });
    script.push_back([](StoreWriter& w) { return w.RenameSecurity("D", "Renamed", "DD"); });
    script.push_back(
        [](StoreWriter& w) { return w.UpdateSecurityInfo("DD", 1050103, 1060630, 'w'); });
    script.push_back(
        [](StoreWriter& w) { return w.UpdateSecurityInfo("S3", 1050103, 1060630, 'm'); });
    for (const char* symbol : {"F", "G", "dd"}) add(symbol);
    script.push_back([](StoreWriter& w) { return w.DeleteSecurity("F"); });
    add("H");

    TempDir perChange;
    StoreWriter other(prompt_, clock_);
    ASSERT_EQ(writer_.CreateDirectory(Dir()), Result::Ok);
    ASSERT_EQ(other.CreateDirectory(perChange.Path()), Result::Ok);
    ASSERT_EQ(writer_.Open(Dir()), Result::Ok);
    for (std::size_t k = 0; k < script.size(); ++k) {
        ASSERT_EQ(other.Open(perChange.Path()), Result::Ok);
        const Result fresh = script[k](other);
        other.Close();
        EXPECT_EQ(script[k](writer_), fresh) << "step " << k;
    }
    writer_.Close();
    for (const char* name : {"MASTER", "EMASTER", "XMASTER"})
        EXPECT_EQ(Bytes(name), ReadBytes(perChange / name)) << name;
    auto files = [](const std::filesystem::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(files(Dir()), files(perChange.Path()));
    const auto entries = Entries();
    ASSERT_EQ(entries.size(), 258u);
    const auto c = std::find_if(entries.begin(), entries.end(),
                                [](const SecurityRecord& entry) { return entry.symbol == "C"; });
    ASSERT_NE(c, entries.end());
    EXPECT_EQ(c->PriceFileName(), "F17.DAT");
    EXPECT_EQ(entries.back().PriceFileName(), "F260.MWD");
}

// A writer opened at the positions a reader found earlier in the run reads
// only the records it changes; it must leave the bytes a fully opened writer
// leaves, also once the positions are out of date.
TEST_F(StoreWriterTest, KnownPositionsLeaveTheBytesOfAFullOpen) {
    const auto sample = TestDataDir() / "metastock/okomarov-sample";
    TempDir full;
    CopyDirectory(sample, Dir());
    CopyDirectory(sample, full.Path());
    EntryTable positions;
    {
        ASSERT_EQ(reader_.Open(Dir()), Result::Ok);
        positions = EntryTable(reader_.ReadAllEntries());
        reader_.Close();
    }
    auto append = [](const std::string& symbol, std::int32_t date) {
        return [=](StoreWriter& w) {
            if (w.OpenPriceFileBySymbol(symbol) != Result::Ok) return Result::Failed;
            const Result added = w.AppendBars(std::vector{MakeBar(date, 5), MakeBar(date + 1, 6)});
            return w.ClosePriceFile() == Result::Ok ? added : Result::Failed;
        };
    };
    const std::vector<std::function<Result(StoreWriter&)>> script = {
        append("rcs", 1100712),  // extended
        append("A2A", 1100712),  // low
        [](StoreWriter& w) {     // a rebuild, then weekly
            if (w.OpenPriceFileForWrite("AGS", true) != Result::Ok) return Result::Failed;
            (void)w.AppendBars(std::vector{MakeBar(1100105, 1), MakeBar(1100112, 2)});
            if (w.ClosePriceFile() != Result::Ok) return Result::Failed;
            return w.UpdateSecurityInfo("AGS", 1100105, 1100112, 'W');
        },
        [](StoreWriter& w) {
            if (w.OpenPriceFileBySymbol("RLT") != Result::Ok) return Result::Failed;
            const Result result = w.OverwriteLastBar(MakeBar(1100414, 77));
            return w.ClosePriceFile() == Result::Ok ? result : Result::Failed;
        },
        [](StoreWriter& w) { return w.DeleteSecurity("ACE"); },  // RCF moves in: positions shift
        append("RDB", 1100712),
        [](StoreWriter& w) { return w.AddSecurity("NEW", "New", 'D'); },
        append("NEW", 1100712),
        [](StoreWriter& w) { return w.UpdateSecurityInfo("TMEAZA", 1100524, 1100623, 'M'); },
        [](StoreWriter& w) { return w.UpdateSecurityInfo("NOPE", 1100524, 1100623, 'M'); },
    };
    for (std::size_t k = 0; k < script.size(); ++k) {
        StoreWriter fullWriter(prompt_, clock_);
        ASSERT_EQ(fullWriter.Open(full.Path()), Result::Ok);
        const Result expected = script[k](fullWriter);
        fullWriter.Close();
        StoreWriter knownWriter(prompt_, clock_);
        ASSERT_EQ(knownWriter.OpenKnown(Dir(), positions), Result::Ok);
        EXPECT_EQ(script[k](knownWriter), expected) << "step " << k;
        knownWriter.Close();
    }
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(full.Path()))
        names.push_back(entry.path().filename().string());
    ASSERT_EQ(names.size(), 466u);  // 462 price files, three index files, the intent record
    for (const std::string& name : names) EXPECT_EQ(Bytes(name), ReadBytes(full / name)) << name;
    EXPECT_THAT(prompt_.Texts(),
                ElementsAre("Can not find security: NOPE", "Can not find security: NOPE"));
}

// A writer at known positions checks what it reads: the low files and the
// headers as Open does, the rest of XMASTER once an operation needs it.
TEST_F(StoreWriterTest, KnownPositionsCheckWhatTheyReadAndTheRestWhenNeeded) {
    CopyDirectory(TestDataDir() / "metastock/okomarov-sample", Dir());
    ASSERT_EQ(reader_.Open(Dir()), Result::Ok);
    const EntryTable positions(reader_.ReadAllEntries());
    reader_.Close();
    // RCS renamed RDB by another program: two extended entries share a symbol.
    auto xmaster = Bytes("Xmaster");
    EncodeText(xmaster, 150 * 2 + 1, 14, "RDB");
    WriteBytes(PathOf("Xmaster"), xmaster);
    ASSERT_EQ(writer_.Open(Dir()), Result::Failed);
    EXPECT_NE(writer_.OpenFailureMessage().find("listed twice"), std::string::npos);
    ASSERT_EQ(writer_.OpenKnown(Dir(), positions), Result::Ok);
    AppendBars("TMEAZA", 1, 1100712);
    EXPECT_EQ(writer_.AddSecurity("NEW", "New", 'D'), Result::Failed);
    EXPECT_NE(writer_.LastFailure().find("listed twice"), std::string::npos);
    writer_.Close();
    EXPECT_EQ(Bars("TMEAZA").back().date, 1100712);

    auto emaster = Bytes("Emaster");
    EncodeU16(emaster, 0, 300);
    WriteBytes(PathOf("Emaster"), emaster);
    ASSERT_EQ(writer_.Open(Dir()), Result::Failed);
    const std::string refusal = writer_.OpenFailureMessage();
    EXPECT_EQ(writer_.OpenKnown(Dir(), positions), Result::Failed);
    EXPECT_EQ(writer_.OpenFailureMessage(), refusal);
}

TEST_F(StoreWriterTest, OpenNeedsBothLowIndexFiles) {
    EXPECT_EQ(writer_.Open(Dir()), Result::Failed);
    WriteBytes(PathOf("EMASTER"), Zeros(192));
    EXPECT_EQ(writer_.Open(Dir()), Result::Failed);
    EXPECT_EQ(writer_.AddSecurity("S", "S", 'D'), Result::Failed);
}

}  // namespace
}  // namespace corvane::test
