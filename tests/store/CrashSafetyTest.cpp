#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <tuple>

#include "DataDirBuilder.h"
#include "DirectoryCheck.h"
#include "FileFaults.h"
#include "FixedClock.h"
#include "RecordingPrompt.h"
#include "StoreReader.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A change run through a fresh writer, as one user action.
struct Operation {
    const char* name;
    const char* fixture;
    std::string target;                  // the security whose bars change, if any
    bool rebuild = false;                // target's bars replaced whole
    std::vector<std::string> goneAfter;  // securities the change removes
    std::function<Result(StoreWriter&)> run;
    bool known = false;  // opened with the store positions a reader read before
};

void PrintTo(const Operation& operation, std::ostream* out) {
    *out << operation.name;
}

std::vector<PriceBar> NewBars(std::int32_t first, int count, float close) {
    std::vector<PriceBar> bars;
    for (int i = 0; i < count; ++i) bars.push_back({first + i, close, close, close, close, 1, 0});
    return bars;
}

// The downloader's update: the file's last bar is refreshed, later ones appended.
Result Update(StoreWriter& writer, const std::string& symbol) {
    if (writer.OpenPriceFileBySymbol(symbol) != Result::Ok) return Result::Failed;
    const std::int32_t last = writer.GetLastBarDate().value_or(0);
    std::vector<PriceBar> later;
    Result result = Result::Ok;
    for (const PriceBar& bar : NewBars(1050301, 12, 99)) {
        if (bar.date == last && writer.OverwriteLastBar(bar) != Result::Ok) result = Result::Failed;
        if (bar.date > last) later.push_back(bar);
    }
    if (result == Result::Ok) result = writer.AppendBars(later);
    return writer.ClosePriceFile() == Result::Ok ? result : Result::Failed;
}

Result Rebuild(StoreWriter& writer, const std::string& symbol) {
    if (writer.OpenPriceFileForWrite(symbol, true) != Result::Ok) return Result::Failed;
    const Result written = writer.AppendBars(NewBars(1040105, 60, 42));
    const Result closed = writer.ClosePriceFile();
    if (written != Result::Ok || closed != Result::Ok) return Result::Failed;
    return writer.UpdateSecurityInfo(symbol, 1040105, 1040105 + 59, 'W');
}

const std::vector<Operation>& Operations() {
    static const std::vector<Operation> operations = {
        {"update", "small", "S1", false, {}, [](StoreWriter& w) { return Update(w, "S1"); }},
        {"rebuild", "small", "S1", true, {}, [](StoreWriter& w) { return Rebuild(w, "S1"); }},
        {"add low",
         "small",
         "",
         false,
         {},
         [](StoreWriter& w) { return w.AddSecurity("NEW", "New one", 'D'); }},
        {"add extended",
         "full",
         "",
         false,
         {},
         [](StoreWriter& w) { return w.AddSecurity("NEWX", "New extended one", 'D'); }},
        {"delete low",
         "small",
         "",
         false,
         {"S2"},
         [](StoreWriter& w) { return w.DeleteSecurity("S2"); }},
        {"delete low with extended entries",
         "full",
         "",
         false,
         {"S10"},
         [](StoreWriter& w) { return w.DeleteSecurity("S10"); }},
        {"delete extended",
         "full",
         "",
         false,
         {"X1"},
         [](StoreWriter& w) { return w.DeleteSecurity("X1"); }},
        {"rename low",
         "small",
         "",
         false,
         {"S3"},
         [](StoreWriter& w) { return w.RenameSecurity("S3", "Third", "THREE"); }},
        {"rename extended",
         "full",
         "",
         false,
         {"X2"},
         [](StoreWriter& w) { return w.RenameSecurity("X2", "Second extended", "XTWO"); }},
        {"update extended",
         "full",
         "X1",
         false,
         {},
         [](StoreWriter& w) { return Update(w, "X1"); }},
        {"update extended at a known position",
         "full",
         "X1",
         false,
         {},
         [](StoreWriter& w) { return Update(w, "X1"); },
         true},
        {"rebuild extended at a known position",
         "full",
         "X2",
         true,
         {},
         [](StoreWriter& w) { return Rebuild(w, "X2"); },
         true},
    };
    return operations;
}

class CrashSafetyTest : public ::testing::TestWithParam<Operation> {
protected:
    static void SetUpTestSuite() {
        fixtures_ = new TempDir;
        MakeDataDir(*fixtures_ / "small",
                    {{"S1", "One", 40}, {"S2", "Two", 5}, {"S3", "Three", 0}});
        std::vector<StoredSecurity> full;
        for (int i = 1; i <= 255; ++i)
            full.push_back({"S" + std::to_string(i), "", i == 10 ? 5 : 0});
        full.push_back({"X1", "First extended", 7});
        full.push_back({"X2", "Second extended", 3});
        MakeDataDir(*fixtures_ / "full", full);
    }
    static void TearDownTestSuite() {
        delete fixtures_;
        fixtures_ = nullptr;
    }
    void TearDown() override { DisarmFileFaults(); }

    fs::path Fresh(const Operation& op, const std::string& name) {
        const fs::path dir = work_ / name;
        fs::remove_all(dir);
        CopyDirectory(*fixtures_ / op.fixture, dir);
        return dir;
    }

    // Where a reader finds the entries, for a writer that opens with them.
    EntryTable Positions(const fs::path& dir) {
        StoreReader reader(prompt_);
        if (reader.Open(dir) != Result::Ok) return {};
        return EntryTable(reader.ReadAllEntries());
    }

    Result RunOnce(const fs::path& dir, const Operation& op) {
        const EntryTable positions = Positions(dir);
        return RunOnce(dir, op, positions);
    }
    Result RunOnce(const fs::path& dir, const Operation& op, const EntryTable& positions) {
        StoreWriter writer(prompt_, clock_);
        const Result opened = op.known ? writer.OpenKnown(dir, positions) : writer.Open(dir);
        if (opened != Result::Ok) return Result::Failed;
        const Result result = op.run(writer);
        writer.Close();
        return result;
    }

    // What a user sees of a directory: its entries and every bar.
    static auto State(const fs::path& dir) {
        std::vector<std::tuple<std::string, std::string, char, int, int, std::string>> entries;
        for (const SecurityRecord& e : ReadEntries(dir))
            entries.emplace_back(e.symbol, e.name, e.periodicity, e.firstDate, e.lastDate,
                                 e.PriceFileName());
        return std::pair(entries, ReadAllBars(dir));
    }

    void ExpectNothingLost(const Operation& op, const BarRecords& before, const BarRecords& after,
                           const BarRecords& finished, const std::string& where) {
        for (const auto& [symbol, bars] : before) {
            if (std::count(op.goneAfter.begin(), op.goneAfter.end(), symbol)) continue;
            ASSERT_TRUE(after.count(symbol)) << where << ": " << symbol << " is gone";
            const auto& now = after.at(symbol);
            if (symbol != op.target) {
                EXPECT_EQ(now, bars) << where << ": bars of " << symbol << " changed";
            } else if (op.rebuild) {
                EXPECT_TRUE(now == bars || now == finished.at(symbol))
                    << where << ": a partial rebuild";
            } else {
                // An update keeps every bar but the last, which it may refresh.
                ASSERT_GE(now.size(), bars.size()) << where;
                EXPECT_TRUE(std::equal(bars.begin(), bars.end() - 1, now.begin())) << where;
            }
        }
    }

    static TempDir* fixtures_;
    TempDir work_;
    RecordingPrompt prompt_;
    FixedClock clock_;
};

TempDir* CrashSafetyTest::fixtures_ = nullptr;

// For every file operation of the change in turn: the process dies there, or
// that one operation fails. The next opener must find a sound directory with
// every bar it held, and running the change again must give the result of
// an uninterrupted run.
TEST_P(CrashSafetyTest, EveryFileOperationCanFailOrStopTheProcess) {
    const Operation& op = GetParam();
    const fs::path reference = Fresh(op, "reference");
    ASSERT_EQ(RunOnce(reference, op), Result::Ok);
    ASSERT_TRUE(CheckDirectory(reference).empty());
    const auto expected = State(reference);

    for (const auto kind : {FilePlan::Kind::Crash, FilePlan::Kind::Fail}) {
        for (int at = 1;; ++at) {
            const std::string where =
                std::string(op.name) +
                (kind == FilePlan::Kind::Crash ? ", stopped at " : ", failed at ") +
                "file operation " + std::to_string(at);
            const fs::path dir = Fresh(op, "run");
            const BarRecords before = ReadAllBars(dir);
            const EntryTable positions = Positions(dir);
            ArmFileFaults({kind, at, 0, ""});
            const Result result = RunOnce(dir, op, positions);
            const bool hit = FileFaultHit();
            DisarmFileFaults();

            // A reader opens the directory at once, finishing an interrupted
            // change; the next writer clears what a crash left unreferenced.
            StoreReader reader(prompt_);
            ASSERT_EQ(reader.Open(dir), Result::Ok) << where;
            reader.Close();
            StoreWriter next(prompt_, clock_);
            ASSERT_EQ(next.Open(dir), Result::Ok) << where;
            next.Close();
            EXPECT_EQ(CheckDirectory(dir), std::vector<std::string>{}) << where;
            ExpectNothingLost(op, before, ReadAllBars(dir), expected.second, where);
            if (!hit) {
                EXPECT_EQ(result, Result::Ok) << where;
                EXPECT_EQ(State(dir), expected) << where;
                break;
            }
            if (result == Result::Ok) {
                EXPECT_EQ(State(dir), expected) << where << " (reported done)";
            }
            (void)RunOnce(dir, op);
            EXPECT_EQ(State(dir), expected) << where << ", run again";
            if (::testing::Test::HasFailure()) return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, CrashSafetyTest, ::testing::ValuesIn(Operations()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

class StoreSafetyTest : public ::testing::Test {
protected:
    TempDir dir_;
    RecordingPrompt prompt_;
    FixedClock clock_;
};

TEST_F(StoreSafetyTest, AFullDiskDuringARebuildOrAnAddKeepsEverything) {
    MakeDataDir(dir_.Path(), {{"S1", "One", 300}});
    const auto before = ReadAllBars(dir_.Path());
    StoreWriter writer(prompt_, clock_);
    ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
    ArmFileFaults({FilePlan::Kind::DiskFull, 0, 28 * 100, ""});
    ASSERT_EQ(writer.OpenPriceFileForWrite("S1", true), Result::Ok);
    EXPECT_EQ(writer.AppendBars(NewBars(1040105, 200, 42)), Result::Failed);
    EXPECT_EQ(writer.ClosePriceFile(), Result::Failed);
    EXPECT_NE(writer.LastFailure().find("F1.DAT"), std::string::npos) << writer.LastFailure();
    ArmFileFaults({FilePlan::Kind::DiskFull, 0, 100, ""});
    EXPECT_EQ(writer.AddSecurity("S2", "Two", 'D'), Result::Failed);
    EXPECT_NE(writer.LastFailure().find("No space left on device"), std::string::npos);
    DisarmFileFaults();
    writer.Close();
    EXPECT_EQ(ReadAllBars(dir_.Path()), before);
    EXPECT_EQ(CheckDirectory(dir_.Path()), std::vector<std::string>{});
}

TEST_F(StoreSafetyTest, APlantedLinkIsNeverFollowed) {
    MakeDataDir(dir_.Path(), {{"S1", "One", 3}});
    TempDir elsewhere;
    WriteBytes(elsewhere / "precious", {1, 2, 3});
    fs::create_symlink(elsewhere / "precious", dir_ / "F2.DAT");
    fs::create_symlink(elsewhere / "precious", dir_ / "F3.DAT.corvane-new");
    StoreWriter writer(prompt_, clock_);
    ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
    ASSERT_EQ(writer.AddSecurity("S2", "Two", 'D'), Result::Ok);
    writer.Close();
    EXPECT_EQ(ReadBytes(elsewhere / "precious"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_TRUE(fs::is_symlink(dir_ / "F2.DAT"));
    EXPECT_EQ(ReadEntries(dir_.Path()).back().PriceFileName(), "F3.DAT");
}

TEST_F(StoreSafetyTest, AnIntentRecordNeverReachesOutsideItsDirectory) {
    TempDir outside;
    WriteBytes(outside / "victim", {1, 2, 3});
    const fs::path data = outside / "data";
    MakeDataDir(data, {{"S1", "One", 3}});
    const std::string text = "corvane-intent 1\nremove\t../victim\nmove\tF1.DAT\t/tmp/x\nend\n";
    WriteBytes(data / "CORVANE.INTENT", std::vector<std::uint8_t>(text.begin(), text.end()));
    StoreWriter writer(prompt_, clock_);
    EXPECT_EQ(writer.Open(data), Result::Failed);
    EXPECT_NE(writer.OpenFailureMessage().find("names a file outside the directory: ../victim"),
              std::string::npos)
        << writer.OpenFailureMessage();
    EXPECT_EQ(ReadBytes(outside / "victim"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(ReadEntries(data).size(), 1u);  // readers still read
    EXPECT_TRUE(fs::exists(data / "F1.DAT"));
}

TEST_F(StoreSafetyTest, AMovedEntryWithoutAPriceFileNeverInheritsTheDeletedOnes) {
    std::vector<StoredSecurity> full;
    for (int i = 1; i <= 255; ++i) full.push_back({"S" + std::to_string(i), "", i == 10 ? 5 : 0});
    full.push_back({"X1", "Extended", 3});
    MakeDataDir(dir_.Path(), full);
    fs::remove(dir_ / "F256.MWD");
    StoreWriter writer(prompt_, clock_);
    ASSERT_EQ(writer.Open(dir_.Path()), Result::Ok);
    ASSERT_EQ(writer.DeleteSecurity("S10"), Result::Ok);
    writer.Close();
    EXPECT_EQ(ReadEntries(dir_.Path()).back().PriceFileName(), "F10.DAT");
    EXPECT_FALSE(fs::exists(dir_ / "F10.DAT"));  // S10's bars went with S10
}

TEST_F(StoreSafetyTest, LinkedOrOversizedIndexFilesAreRefusedBeforeAnyChange) {
    MakeDataDir(dir_ / "linked", {{"S1", "One", 3}});
    TempDir elsewhere;
    fs::rename(dir_ / "linked" / "EMASTER", elsewhere / "EMASTER");
    fs::create_symlink(elsewhere / "EMASTER", dir_ / "linked" / "EMASTER");
    const auto emaster = ReadBytes(elsewhere / "EMASTER");
    StoreWriter writer(prompt_, clock_);
    EXPECT_EQ(writer.Open(dir_ / "linked"), Result::Failed);
    EXPECT_EQ(writer.GetOpenFailure(), StoreWriter::OpenFailure::CannotWrite);
    EXPECT_EQ(ReadBytes(elsewhere / "EMASTER"), emaster);
    EXPECT_FALSE(fs::exists(dir_ / "linked" / "F2.DAT"));

    // A record asking for a size no index file has is refused, not obeyed.
    MakeDataDir(dir_ / "huge", {{"S1", "One", 3}});
    const std::string text = "corvane-intent 1\nsize\tEMASTER\t99999999999\nend\n";
    WriteBytes(dir_ / "huge" / "CORVANE.INTENT",
               std::vector<std::uint8_t>(text.begin(), text.end()));
    EXPECT_EQ(writer.Open(dir_ / "huge"), Result::Failed);
    EXPECT_NE(writer.OpenFailureMessage().find("a damaged step"), std::string::npos);
    EXPECT_LT(fs::file_size(dir_ / "huge" / "EMASTER"), 1000u);
}

TEST_F(StoreSafetyTest, IndexFilesThatCannotBeReadAreNeverRecreated) {
    MakeDataDir(dir_.Path(), {{"S1", "One", 3}, {"S2", "Two", 2}});
    const auto emaster = ReadBytes(dir_ / "EMASTER");
    fs::remove(dir_ / "MASTER");
    StoreWriter writer(prompt_, clock_);
    EXPECT_EQ(writer.Open(dir_.Path()), Result::Failed);
    EXPECT_EQ(writer.GetOpenFailure(), StoreWriter::OpenFailure::Damaged);
    EXPECT_EQ(writer.CreateDirectory(dir_.Path()), Result::Failed);
    EXPECT_EQ(writer.OpenFailureMessage(),
              "Directory " + dir_.Path().string() +
                  " is damaged: MASTER is missing; run corvane-cli check --repair");
    EXPECT_FALSE(fs::exists(dir_ / "MASTER"));
    EXPECT_EQ(ReadBytes(dir_ / "EMASTER"), emaster);

    // An XMASTER that is there but will not open (too many open files, say)
    // must not pass for none: the next add would create it anew, empty.
    std::vector<StoredSecurity> full;
    for (int i = 1; i <= 256; ++i) full.push_back({"S" + std::to_string(i), "", 0});
    MakeDataDir(dir_ / "full", full);
    const auto xmaster = ReadBytes(dir_ / "full" / "XMASTER");
    ArmFileFaults({FilePlan::Kind::Fail, 1, 0, "XMASTER"});
    EXPECT_EQ(writer.Open(dir_ / "full"), Result::Failed);
    DisarmFileFaults();
    EXPECT_EQ(writer.AddSecurity("S257", "", 'D'), Result::Failed);
    EXPECT_EQ(ReadBytes(dir_ / "full" / "XMASTER"), xmaster);

    MakeDataDir(dir_ / "short", {{"S1", "One", 3}, {"S2", "Two", 2}});
    WriteBytes(dir_ / "short" / "MASTER", std::vector<std::uint8_t>(53, 0));  // zeroed
    EXPECT_EQ(writer.Open(dir_ / "short"), Result::Failed);
    EXPECT_EQ(writer.GetOpenFailure(), StoreWriter::OpenFailure::Damaged);
}

TEST_F(StoreSafetyTest, ASecondWriterIsRefusedAcrossProcessesAndReadersShare) {
    MakeDataDir(dir_.Path(), {{"S1", "One", 3}});
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        RecordingPrompt prompt;
        FixedClock clock;
        StoreWriter holder(prompt, clock);
        const char ok = holder.Open(dir_.Path()) == Result::Ok ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::sleep(2);
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    StoreWriter writer(prompt_, clock_);
    EXPECT_EQ(writer.Open(dir_.Path()), Result::Failed);
    EXPECT_EQ(writer.OpenFailureMessage(),
              "Directory " + dir_.Path().string() + " is in use by other application.");
    // Waiting outlasts the holder.
    EXPECT_EQ(writer.Open(dir_.Path(), std::chrono::seconds(10)), Result::Ok);
    StoreReader reader(prompt_);  // this process's own reader shares with its writer
    EXPECT_EQ(reader.Open(dir_.Path()), Result::Ok);
    reader.Close();
    writer.Close();
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace corvane::test
