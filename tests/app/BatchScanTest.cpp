#include <gmock/gmock.h>

#include <filesystem>

#include "BatchScan.h"
#include "DataDirBuilder.h"
#include "RecordingPrompt.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// Notes what the scan shows; stops it after a number of files when asked.
class RecordingDisplay : public ScanDisplay {
public:
    void StartRoot(const std::string& title, int upper) override {
        titles.push_back(title);
        uppers.push_back(upper);
    }
    void ShowFolder(const std::string& text) override { folders.push_back(text); }
    void Advance(int amount) override { advanced += amount; }
    bool Cancelled() override { return cancelAfterFiles > 0 && ++files >= cancelAfterFiles; }
    void Pause() override {}

    std::vector<std::string> titles, folders;
    std::vector<int> uppers;
    long long advanced = 0;
    int files = 0;
    int cancelAfterFiles = 0;
};

class BatchScanTest : public ::testing::Test {
protected:
    void Data(const fs::path& relative, const std::string& symbol = "IBM") {
        MakeDataDir(dir_ / relative, {{symbol, symbol, 2}, {symbol + "X", symbol + "X", 1}});
    }
    std::vector<std::string> Recorded() const {
        std::vector<std::string> paths;
        for (int i = 0; i < table_.filled; ++i)
            paths.push_back(fs::relative(table_.slots[i].path, dir_.Path()).string());
        return paths;
    }
    ScanEnd Scan(std::vector<ScanRoot> roots = {}) {
        if (roots.empty()) roots = {{dir_.Path(), 30000}};
        return ScanDrives(roots, table_, display_, prompt_);
    }

    TempDir dir_;
    BatchTable table_;
    RecordingDisplay display_;
    RecordingPrompt prompt_;
};

TEST_F(BatchScanTest, NestedDirectoriesParentFirstWindowsAndTempSkippedLinksNotFollowed) {
    Data("quotes/us");
    Data("quotes/us/weekly", "MSFT");
    Data("Windows/hidden");
    Data("Temp/hidden");
    Data("WINDOWS/found");
    fs::create_directory_symlink(dir_.Path(), dir_ / "quotes" / "loop");  // would never end
    fs::create_directory_symlink(dir_ / "quotes" / "us", dir_ / "alias");
    EXPECT_EQ(Scan(), ScanEnd::Completed);
    std::vector<std::string> recorded = Recorded();
    ASSERT_EQ(recorded.size(), 3u);
    // Folders are visited in listing order; within one branch the parent comes first.
    const auto at = [&](const std::string& path) {
        return std::find(recorded.begin(), recorded.end(), path) - recorded.begin();
    };
    EXPECT_LT(at("quotes/us"), at("quotes/us/weekly"));
    EXPECT_LT(at("WINDOWS/found"), 3);
    const BatchEntry& us = table_.slots[static_cast<std::size_t>(at("quotes/us"))];
    EXPECT_TRUE(us.selected);
    EXPECT_EQ(us.name, "us");
    EXPECT_EQ(us.count, 2);
    EXPECT_EQ(us.symbols, " IBM IBMX");
    EXPECT_THAT(display_.titles, ElementsAre("Scanning drive " + dir_.Path().string() + " ..."));
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(BatchScanTest, TwentyAreRecordedAndAFolderThatCannotBeReadEndsNothing) {
    for (int i = 0; i < 22; ++i) Data("many/d" + std::to_string(100 + i));
    table_.slots[5].name = "from an earlier scan";
    table_.filled = 6;
    // The first root cannot be listed; the scan goes on with the next.
    EXPECT_EQ(Scan({{dir_ / "unmounted", 0}, {dir_.Path(), 30000}}), ScanEnd::Completed);
    EXPECT_EQ(table_.filled, 20);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(table_.slots[i].path.find(dir_.Path().string()), 0u);
    EXPECT_EQ(display_.titles.size(), 2u);
}

TEST_F(BatchScanTest, TheBarMeasuresFileBytesAgainstTheUsedSpace) {
    Data("d");  // index files and two price files
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.Path()))
        if (entry.is_regular_file()) bytes += entry.file_size();
    Scan({{dir_.Path(), 30000}});
    EXPECT_EQ(display_.uppers.back(), 30000);
    EXPECT_EQ(display_.advanced, static_cast<long long>(bytes));  // scale 1
    display_ = RecordingDisplay{};
    Scan({{dir_.Path(), 10'000'000'000ULL}});
    EXPECT_EQ(display_.uppers.back(), 65535);
    EXPECT_LE(display_.advanced, static_cast<long long>(bytes));  // scaled down to almost 0
}

TEST_F(BatchScanTest, CancelStopsTheScanAndKeepsWhatWasFound) {
    Data("a");
    display_.cancelAfterFiles = 1;
    EXPECT_EQ(Scan(), ScanEnd::Cancelled);
    EXPECT_THAT(prompt_.Texts(), ElementsAre("Scan is cancelled by user."));
    EXPECT_LE(table_.filled, 1);
}

TEST(BatchTextsTest, FoldersPathsAndSymbolsAsTheDialogShowsThem) {
    EXPECT_EQ(AbbreviatedFolder("/home/user/data/stocks/"), "/home/.../stocks");
    EXPECT_EQ(AbbreviatedFolder("/home/user"), "/home/user");
    EXPECT_EQ(AbbreviatedFolder("/"), "/");
    EXPECT_EQ(FullPathInfo("/a"), "Full path: /a");
    EXPECT_EQ(FullPathInfo("/home/trader/metastock/united states/nasdaq100/daily"),
              "Full path: /home/trader/metastock/\nunited states/nasdaq100/daily");
    const std::string longName(200, 'x');
    const std::string broken = FullPathInfo("/" + longName);
    EXPECT_EQ(std::count(broken.begin(), broken.end(), '\n'), 4);  // five lines at most
    for (std::size_t start = 0, end; start < broken.size(); start = end + 1) {
        end = std::min(broken.find('\n', start), broken.size());
        EXPECT_LE(end - start, 40u);
    }
    EXPECT_EQ(SymbolsInfo(" IBM MSFT"), "Symbols: IBM MSFT");
    std::string many;
    for (int i = 0; i < 30; ++i) many += " SYM" + std::to_string(i);
    const std::string cut = SymbolsInfo(many);
    EXPECT_EQ(cut,
              "Symbols: SYM0 SYM1 SYM2 SYM3 SYM4 SYM5 SYM6 SYM7 SYM8 SYM9 SYM10 SYM11 SYM12...");
    EXPECT_LE(cut.size(), 83u);
}

}  // namespace
}  // namespace corvane::test
