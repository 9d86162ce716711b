#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Coding.h"
#include "DirectoryCheck.h"
#include "FileFaults.h"
#include "StoreCheck.h"
#include "StoreFixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Copies of real directories, bent by verbs that name the damage, then
// checked, repaired and written to.
class StoreCheckTest : public StoreFixture {
public:
    // Nothing here may wait on a FIFO: a hang ends the test run.
    void SetUp() override { ::alarm(60); }
    void TearDown() override { ::alarm(0); }

    using StoreFixture::PathOf;
    using StoreFixture::SetU16;
    using StoreFixture::SetU32;

    void Use(const std::string& name) { CopyDirectory(TestDataDir() / "metastock" / name, Dir()); }

    void TruncateIndex(const std::string& name, std::uint64_t bytes) { TruncateBy(name, bytes); }
    void CorruptHeaderCount(const std::string& name, std::uint16_t count) {
        SetU16(name, 0, count);
    }
    // Takes record `index` (from 1) out of MASTER, as a lost write would.
    void DropMasterRecord(std::size_t index) {
        auto bytes = Bytes("Master");
        bytes.erase(bytes.begin() + static_cast<long>(53 * index),
                    bytes.begin() + static_cast<long>(53 * (index + 1)));
        EncodeU16(bytes, 0, static_cast<std::uint16_t>(bytes.size() / 53 - 1));
        WriteBytes(PathOf("Master"), bytes);
    }
    void ReplaceWithFifo(const std::string& name) {
        fs::remove(PathOf(name));
        ASSERT_EQ(::mkfifo(PathOf(name).c_str(), 0644), 0);
    }

    std::vector<std::string> Findings() { return CheckStore(Dir()).findings; }
    bool WriterOpens() {
        const bool opened = writer_.Open(Dir()) == Result::Ok;
        writer_.Close();
        return opened;
    }
};

struct Damage {
    const char* name;
    std::function<void(StoreCheckTest&)> apply;
    const char* finding;  // a line of the check names it
    bool writersRefuse;
    bool mended;                                               // by --repair
    const char* refusal = "; run corvane-cli check --repair";  // what a writer says
};

class DamageTest : public StoreCheckTest, public ::testing::WithParamInterface<Damage> {};

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

TEST_P(DamageTest, CheckNamesItRepairMendsWhatItMayWritersRefuse) {
    const Damage& damage = GetParam();
    Use("okomarov-sample");
    ASSERT_EQ(Findings(), std::vector<std::string>{});
    const BarRecords bars = ReadAllBars(Dir());
    damage.apply(*this);

    EXPECT_THAT(Findings(), ::testing::Contains(HasSubstr(damage.finding)));
    EXPECT_EQ(WriterOpens(), !damage.writersRefuse);
    if (damage.writersRefuse) {
        EXPECT_THAT(writer_.OpenFailureMessage(), HasSubstr(damage.refusal));
    }

    const RepairReport repair = RepairStore(Dir(), std::chrono::milliseconds(0));
    if (damage.mended) {
        EXPECT_TRUE(ReadAllBars(Dir()) == bars) << "a repair never changes a bar";
    }
    if (damage.mended) {
        ASSERT_EQ(repair.result, Result::Ok) << repair.failure;
        EXPECT_FALSE(repair.done.empty());
        EXPECT_EQ(Findings(), std::vector<std::string>{});
        EXPECT_TRUE(WriterOpens());
        EXPECT_EQ(CheckDirectory(Dir()), std::vector<std::string>{});
    } else {
        EXPECT_THAT(Findings(), ::testing::Contains(HasSubstr(damage.finding)));
    }
}

const Damage kDamages[] = {
    {"overstated EMASTER count", [](auto& t) { t.CorruptHeaderCount("Emaster", 300); },
     "Emaster: its header counts 300 records, the file holds 255", true, true},
    {"truncated MASTER", [](auto& t) { t.TruncateIndex("Master", 53 * 10); },
     "Master lists 245 securities, Emaster 255", true, true},
    {"dropped MASTER record", [](auto& t) { t.DropMasterRecord(5); }, "Master record 5 (", true,
     true},
    {"MASTER missing", [](auto& t) { fs::remove(t.PathOf("Master")); }, "MASTER is missing", true,
     true},
    {"XMASTER count copies differ", [](auto& t) { t.SetU32("Xmaster", 10, 5); },
     "Xmaster: its two record counts differ (5 and 207)", true, true},
    {"index dates off their bars", [](auto& t) { t.SetU32("Xmaster", 150 + 116, 20200101); },
     "RCF (F256.MWD): index dates 20100105-20200101, bars 20100105-20100709", false, true},
    {"orphan price file",
     [](auto& t) { WriteBytes(t.PathOf("F999.MWD"), std::vector<std::uint8_t>(28, 0)); },
     "F999.MWD: no entry names this price file", false, false},
    {"price file replaced by a FIFO", [](auto& t) { t.ReplaceWithFifo("F3.DAT"); },
     "the price file cannot be read: not a regular file", false, false},
    {"EMASTER replaced by a FIFO", [](auto& t) { t.ReplaceWithFifo("Emaster"); },
     "Emaster cannot be read: not a regular file", true, false,
     "cannot be changed: Emaster cannot be read and written: not a regular file"},
    {"XMASTER truncated to text",
     [](auto& t) {
         WriteBytes(t.PathOf("Xmaster"), {'n', 'o', 't', 'e'});
     },
     "Xmaster: not an XMASTER file", true, false},
    {"two entries share a file number", [](auto& t) { t.SetU16("Emaster", 192 * 2 + 2, 1); },
     "share the price file F1.DAT", true, false},
};

INSTANTIATE_TEST_SUITE_P(Kinds, DamageTest, ::testing::ValuesIn(kDamages), [](const auto& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
});

TEST_F(StoreCheckTest, MetaStockOwnDirectoryGetsItsDatesFromItsBars) {
    Use("atem-equis-b");
    const BarRecords bars = ReadAllBars(Dir());
    EXPECT_THAT(Findings(),
                ::testing::ElementsAre(HasSubstr(".DJX (F1.DAT): index dates 19970923-20111227"),
                                       HasSubstr(".FCHI (F2.DAT)"), HasSubstr("AZM.L (F256.MWD)"),
                                       HasSubstr(".N225 (F2853.MWD)")));
    EXPECT_TRUE(WriterOpens());  // dates alone do not stop a writer
    const RepairReport repair = RepairStore(Dir(), std::chrono::milliseconds(0));
    ASSERT_EQ(repair.result, Result::Ok);
    EXPECT_EQ(repair.done.size(), 4u);
    EXPECT_EQ(Findings(), std::vector<std::string>{});
    EXPECT_TRUE(ReadAllBars(Dir()) == bars);
    EXPECT_EQ(ToLongDate(Entries()[2].firstDate), 19961231);  // AZM.L, stored as 1900-01-01
}

// A repair stopped at any file operation leaves the directory as it was or
// as the whole repair leaves it, never half mended.
TEST_F(StoreCheckTest, ARepairIsNeverLeftHalfDone) {
    Use("atem-equis-b");
    TruncateIndex("MASTER", 53);  // MASTER loses its second record
    const auto indexFiles = [this] {
        return std::vector{Bytes("MASTER"), Bytes("EMASTER"), Bytes("XMASTER")};
    };
    const auto priceFiles = [this] {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const auto& item : fs::directory_iterator(Dir()))
            if (item.path().filename().string()[0] == 'F')
                files[item.path().filename().string()] = ReadBytes(item.path());
        return files;
    };
    const auto damaged = indexFiles();
    const auto bars = priceFiles();
    TempDir original;
    CopyDirectory(Dir(), original.Path());
    ASSERT_EQ(RepairStore(Dir(), std::chrono::milliseconds(0)).result, Result::Ok);
    const auto repaired = indexFiles();
    ASSERT_EQ(Findings(), std::vector<std::string>{});

    for (int at = 1;; ++at) {
        SCOPED_TRACE("stopped at file operation " + std::to_string(at));
        fs::remove_all(Dir());
        CopyDirectory(original.Path(), Dir());
        ArmFileFaults({FilePlan::Kind::Crash, at, 0, ""});
        (void)RepairStore(Dir(), std::chrono::milliseconds(0));
        const bool hit = FileFaultHit();
        DisarmFileFaults();
        ASSERT_EQ(reader_.Open(Dir()), Result::Ok);  // the next opener finishes what began
        reader_.Close();
        const auto now = indexFiles();
        EXPECT_TRUE(now == damaged || now == repaired);
        EXPECT_TRUE(priceFiles() == bars);
        if (!hit) break;
    }
}

TEST_F(StoreCheckTest, AnInterruptedChangeIsNamedAndFinished) {
    Use("okomarov-sample");
    WriteBytes(PathOf("CORVANE.INTENT"), [] {
        const std::string text = "corvane-intent 1\nremove\tF999.MWD\nend\n";
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }());
    WriteBytes(PathOf("F999.MWD"), std::vector<std::uint8_t>(28, 0));
    EXPECT_THAT(Findings(),
                ::testing::Contains(HasSubstr("CORVANE.INTENT: a change was interrupted")));
    const RepairReport repair = RepairStore(Dir(), std::chrono::milliseconds(0));
    ASSERT_EQ(repair.result, Result::Ok);
    EXPECT_THAT(repair.done, ::testing::Contains(HasSubstr("finished the change")));
    EXPECT_FALSE(Exists("F999.MWD"));
    EXPECT_EQ(Findings(), std::vector<std::string>{});
}

TEST_F(StoreCheckTest, FifosInPlaceOfFilesAreRefusedAtOnce) {
    Use("okomarov-sample");
    ReplaceWithFifo("F3.DAT");
    EXPECT_EQ(reader_.Open(Dir()), Result::Ok);
    EXPECT_EQ(reader_.OpenPriceFileBySymbol(Entries()[2].symbol), Result::Failed);
    reader_.Close();
    ReplaceWithFifo("Xmaster");
    EXPECT_EQ(reader_.Open(Dir()), Result::Ok);  // reads what it can: the low entries
    reader_.Close();
    EXPECT_FALSE(WriterOpens());
    ReplaceWithFifo("Emaster");
    EXPECT_FALSE(StoreReader::IsDataDirectory(Dir()));
    EXPECT_EQ(reader_.Open(Dir()), Result::Failed);
}

}  // namespace
}  // namespace corvane::test
