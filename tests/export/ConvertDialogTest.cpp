#include <gmock/gmock.h>

#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "DataDirBuilder.h"
#include "DialogDriving.h"
#include "DlgConvert.h"
#include "DlgOptions.h"
#include "InMemorySettingsStore.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A data directory of three securities as the current directory (as the
// explorer leaves it), an empty output folder beside it, and the dialog the
// main window opens on the selection.
class ConvertDialogTest : public ::testing::Test {
protected:
    ConvertDialogTest() {
        MakeDataDir(data_, {{"IBM", "IBM", 3}, {"MSFT", "MSFT", 2}, {"AAPL", "AAPL", 1}});
        for (const auto& entry : fs::directory_iterator(data_)) storeFiles_.push_back(entry.path());
        fs::create_directory(out_);
        fs::current_path(data_);
        current_ = ConversionOptions::Defaults();
    }
    ~ConvertDialogTest() override {
        dialog_.reset();
        std::error_code error;
        fs::current_path(startDirectory_, error);
    }
    DlgConvert& Open(const std::string& symbols = " IBM MSFT AAPL") {
        dialog_ =
            std::make_unique<DlgConvert>(prompt_, store_, current_, symbols, [](const QString&) {});
        dialog_->show();
        return *dialog_;
    }
    QLineEdit& Edit(const char* name) { return Child<QLineEdit>(*dialog_, name); }
    void SetOutput(const fs::path& directory) {
        Edit("outputDirectory").setText(QString::fromStdString(directory.string()));
    }
    // Every file under the folder that holds the data and output directories,
    // but the store's own.
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root_.Path()))
            if (std::find(storeFiles_.begin(), storeFiles_.end(), entry.path()) ==
                storeFiles_.end())
                files.push_back(entry.path().lexically_relative(root_.Path()).string());
        std::sort(files.begin(), files.end());
        return files;
    }
    static std::vector<std::string> Lines(const fs::path& path) {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    QApplication& application_ = TestApplication();
    fs::path startDirectory_ = fs::current_path();
    TempDir root_;
    fs::path data_ = root_ / "data";
    fs::path out_ = root_ / "out";
    std::vector<fs::path> storeFiles_;
    RecordingPrompt prompt_;
    InMemorySettingsStore store_;
    ConversionOptions current_;
    std::unique_ptr<DlgConvert> dialog_;
};

TEST_F(ConvertDialogTest, ThreeSecuritiesGiveThreeFilesOrOneFileWithTheHeaderOnce) {
    const std::string header = "<DTYYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>";
    DlgConvert& dialog = Open();
    EXPECT_EQ(Edit("securitySymbol").text(), QStringLiteral(" IBM MSFT AAPL"));
    EXPECT_EQ(Edit("outputDirectory").text().toStdString(), data_.string());
    SetOutput(out_);
    Click(dialog, "convertButton");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Converted(), 3);
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_THAT(Files(), ElementsAre("data", "out", "out/AAPL.txt", "out/IBM.txt", "out/MSFT.txt"));
    EXPECT_THAT(Lines(out_ / "IBM.txt"),
                ElementsAre(header, "20050103,10.00,11.00,9.00,10.00,1000.00",
                            "20050104,11.00,12.00,10.00,11.00,1001.00",
                            "20050105,12.00,13.00,11.00,12.00,1002.00"));
    EXPECT_EQ(Lines(out_ / "AAPL.txt").size(), 2u);

    fs::remove_all(out_);
    fs::create_directory(out_);
    current_.singleFile = current_.symbol = true;
    current_.fileName = "all";
    current_.extension = "csv";
    DlgConvert& single = Open();
    SetOutput(out_);
    Click(single, "convertButton");
    EXPECT_EQ(single.Converted(), 3);
    EXPECT_THAT(Files(), ElementsAre("data", "out", "out/all.csv"));
    const auto lines = Lines(out_ / "all.csv");
    ASSERT_EQ(lines.size(), 1u + 3 + 2 + 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), header), 1);
    EXPECT_EQ(lines[0], header);
    EXPECT_EQ(lines[1].substr(0, 13), "IBM,20050103,");
    EXPECT_EQ(lines[4].substr(0, 14), "MSFT,20050103,");
    EXPECT_EQ(lines[6].substr(0, 14), "AAPL,20050103,");
    EXPECT_EQ(single.Options().extension, ".csv") << "the run gives the copy its dot";
    EXPECT_EQ(current_.extension, "csv") << "the application's record stays";
}

TEST_F(ConvertDialogTest, ReturnInEitherEditConverts) {
    for (const char* edit : {"securitySymbol", "outputDirectory"}) {
        fs::remove_all(out_);
        fs::create_directory(out_);
        DlgConvert& dialog = Open(" IBM");
        SetOutput(out_);
        // A button clicked before does not take Return over.
        dialog.SetDirectoryChooser([](QWidget*, const QString&) { return QString(); });
        Click(dialog, "browseButton");
        Edit(edit).setFocus();
        QTest::keyClick(&Edit(edit), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << edit;
        EXPECT_THAT(Files(), ElementsAre("data", "out", "out/IBM.txt")) << edit;
    }
}

TEST_F(ConvertDialogTest, BrowseTakesTheChosenFolderAndCancelChangesNothing) {
    DlgConvert& dialog = Open();
    std::vector<QString> starts;
    QString answer;
    dialog.SetDirectoryChooser([&](QWidget* parent, const QString& start) {
        EXPECT_EQ(parent, &dialog);
        starts.push_back(start);
        return answer;
    });
    const QString before = Edit("outputDirectory").text();
    Click(dialog, "browseButton");
    EXPECT_EQ(Edit("outputDirectory").text(), before);
    answer = QString::fromStdString(out_.string());
    Click(dialog, "browseButton");
    EXPECT_EQ(Edit("outputDirectory").text(), answer);
    EXPECT_THAT(starts, ElementsAre(before, before));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_THAT(Files(), ElementsAre("data", "out"));
}

TEST_F(ConvertDialogTest, AcceptedOptionsBecomeTheCurrentRecordAndTheDialogsCopy) {
    DlgConvert& dialog = Open(" IBM");
    SetOutput(out_);
    WithModal<DlgOptions>([&] { Click(dialog, "optionsButton"); },
                          [](DlgOptions& options) {
                              EXPECT_EQ(options.Options(), ConversionOptions::Defaults());
                              Click(options, "separator3");
                              QTest::keyClick(&options, Qt::Key_Escape);
                          });
    EXPECT_EQ(current_, ConversionOptions::Defaults());
    WithModal<DlgOptions>([&] { Click(dialog, "optionsButton"); },
                          [](DlgOptions& options) {
                              Click(options, "separator3");
                              Click(options, "includeHeaders");
                              Click(options, "acceptButton");
                          });
    EXPECT_EQ(current_.separator, 3);
    EXPECT_FALSE(current_.headers);
    EXPECT_EQ(dialog.Options(), current_);
    Click(dialog, "convertButton");
    EXPECT_EQ(Lines(out_ / "IBM.txt").front(), "20050103\t10.00\t11.00\t9.00\t10.00\t1000.00");
}

// An output directory that cannot take the files is named once, before
// anything is written; the dialog stays open for another try.
TEST_F(ConvertDialogTest, UnusableOutputDirectoryIsNamedAndTheDialogStaysOpen) {
    std::ofstream(root_ / "plain") << "x";
    struct Case {
        fs::path directory;
        std::string message;
    };
    const Case cases[] = {
        {root_ / "missing", "Output directory " + (root_ / "missing").string() +
                                " does not exist; nothing was converted."},
        {root_ / "plain", "Output directory " + (root_ / "plain").string() +
                              " is not a directory; nothing was converted."},
        // An empty edit must not fall back on the current directory.
        {"", "Please enter the output directory; nothing was converted."},
    };
    for (const bool single : {false, true}) {
        current_.singleFile = single;
        for (const Case& c : cases) {
            prompt_.shown.clear();
            DlgConvert& dialog = Open();
            SetOutput(c.directory);
            Click(dialog, "convertButton");
            EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{c.message});
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            EXPECT_THAT(Files(), ElementsAre("data", "out", "plain"));
        }
    }
    prompt_.shown.clear();
    DlgConvert& dialog = Open();
    SetOutput(out_);
    Click(dialog, "convertButton");
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_EQ(dialog.Converted(), 3);
    EXPECT_THAT(Files(), ElementsAre("data", "out", "out/ascii_file.txt", "plain"));
}

// Symbols name the files: one that cannot, or that has no Latin-1 form, is
// skipped with a message and the others are converted.
TEST_F(ConvertDialogTest, SymbolsThatCannotNameAFileAreSkipped) {
    DlgConvert& dialog = Open();
    Edit("securitySymbol").setText(QString::fromUtf8(" ../IBM . .. a/b \xc4\x80IBM MSFT"));
    SetOutput(out_);
    Click(dialog, "convertButton");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Converted(), 1);
    EXPECT_THAT(Files(), ElementsAre("data", "out", "out/MSFT.txt"));
    const auto texts = prompt_.Texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0],
              "Can not convert security \"?IBM\": its symbol holds characters other than Latin-1.");
    EXPECT_THAT(texts[1], HasSubstr("\"../IBM\""));
    EXPECT_THAT(texts[4], HasSubstr("\"a/b\""));

    // Nothing left once the refused symbol goes: nothing runs, the dialog stays.
    prompt_.shown.clear();
    DlgConvert& refused = Open();
    Edit("securitySymbol").setText(QString::fromUtf8(" \xc4\x80"));
    SetOutput(out_);
    Click(refused, "convertButton");
    EXPECT_EQ(prompt_.shown.size(), 1u);
    EXPECT_TRUE(refused.isVisible());
    EXPECT_THAT(Files(), ElementsAre("data", "out", "out/MSFT.txt"));
}

// The single file's name and the extension come from the settings and the
// presets: one that would leave the output directory converts nothing.
TEST_F(ConvertDialogTest, NamesFromTheSettingsThatLeaveTheOutputDirectoryAreRefused) {
    struct Case {
        bool single;
        std::string fileName, extension, message;
    };
    const Case cases[] = {
        {true, "../x", ".txt",
         "Output file name \"../x\" can not name a file in the output directory; nothing was "
         "converted."},
        {true, "..", "",
         "Output file name \"..\" can not name a file in the output directory; "
         "nothing was converted."},
        {false, "", "/../../y",
         "File extension \"/../../y\" can not be part of a file name; nothing was converted."},
    };
    for (const Case& c : cases) {
        prompt_.shown.clear();
        current_.singleFile = c.single;
        current_.fileName = c.fileName;
        current_.extension = c.extension;
        DlgConvert& dialog = Open();
        SetOutput(out_);
        Click(dialog, "convertButton");
        EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_THAT(Files(), ElementsAre("data", "out"));
    }
}

}  // namespace
}  // namespace corvane::test
