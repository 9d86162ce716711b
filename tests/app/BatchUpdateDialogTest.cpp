#include <gmock/gmock.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include "CurlHttpClient.h"
#include "DataDirBuilder.h"
#include "DlgBatch.h"
#include "GatewayProcess.h"
#include "InMemorySettingsStore.h"
#include "ProgressClicks.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "UpdatesDialog.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

template <typename T>
T& Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("no child ") + name);
    return *child;
}

class BatchDialogTest : public ::testing::Test {
protected:
    std::vector<std::string> Ticked(const DlgBatch& dialog) const {
        std::vector<std::string> names;
        for (int i = 0; i < dialog.Table().filled; ++i)
            if (dialog.Table().slots[i].selected) names.push_back(dialog.Table().slots[i].name);
        return names;
    }
    void Click(DlgBatch& dialog, int row) {
        QListWidget& list = dialog.List();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualItemRect(list.item(row)).center());
    }

    QApplication& application_ = TestApplication();
    TempDir dir_;
    RecordingPrompt prompt_;
    InMemorySettingsStore store_;
    QWidget window_;
    int signals_ = 0;
};

TEST_F(BatchDialogTest, TheScanListsTheDirectoriesTickedAndAClickTogglesOne) {
    MakeDataDir(dir_ / "us", {{"IBM", "IBM", 1}, {"MSFT", "MSFT", 1}});
    MakeDataDir(dir_ / "us" / "weekly", {{"IBM", "IBM", 1}});
    DlgBatch dialog(prompt_, store_, &window_, [this] { ++signals_; });
    EXPECT_EQ(dialog.Scan({{dir_.Path(), 30000}}), ScanEnd::Completed);
    dialog.show();
    EXPECT_EQ(signals_, 1);
    ASSERT_EQ(dialog.List().count(), 2);
    EXPECT_EQ(dialog.List().item(0)->text(), QStringLiteral("us"));  // the parent first
    EXPECT_EQ(dialog.List().currentRow(), 0);
    EXPECT_EQ(Child<QLabel>(dialog, "infoPath").text(),
              QString::fromStdString(FullPathInfo((dir_ / "us").string())));
    EXPECT_EQ(Child<QLabel>(dialog, "infoCount").text(), QStringLiteral("Number of symbols: 2"));
    EXPECT_EQ(Child<QLabel>(dialog, "infoSymbols").text(), QStringLiteral("Symbols: IBM MSFT"));
    EXPECT_THAT(Ticked(dialog), ElementsAre("us", "weekly"));  // opening changes no tick

    Click(dialog, 1);
    EXPECT_THAT(Ticked(dialog), ElementsAre("us"));
    EXPECT_EQ(Child<QLabel>(dialog, "infoCount").text(), QStringLiteral("Number of symbols: 1"));
    QTest::mouseClick(&Child<QPushButton>(dialog, "deselectAll"), Qt::LeftButton);
    EXPECT_TRUE(Ticked(dialog).empty());
    QTest::mouseClick(&Child<QPushButton>(dialog, "selectAll"), Qt::LeftButton);
    EXPECT_THAT(Ticked(dialog), ElementsAre("us", "weekly"));
    QTest::mouseClick(&Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(BatchDialogTest, AClickOnCancelStopsTheScanAndKeepsWhatWasFound) {
    for (int i = 0; i < 30; ++i) MakeDataDir(dir_ / ("d" + std::to_string(i)), {{"A", "A", 1}});
    DlgBatch dialog(prompt_, store_, &window_, {});
    CancelProgressByMouseOnceShown();
    EXPECT_EQ(dialog.Scan({{dir_.Path(), 30000}}), ScanEnd::Cancelled);
    EXPECT_THAT(prompt_.Texts(), ElementsAre("Scan is cancelled by user."));
    EXPECT_LT(dialog.List().count(), 30);
    EXPECT_EQ(dialog.List().count(), dialog.Table().filled);
    EXPECT_TRUE(window_.isEnabled());
}

class UpdatesDialogTest : public BatchDialogTest {
protected:
    std::vector<QUrl> opened_;
    CurlHttpClient http_;
};

TEST_F(UpdatesDialogTest, AnOfferOpensItsPagesAndNoneDisablesThem) {
    {
        GatewayProcess gateway(dir_.Path(), {"--latest-version", "108001"});
        UpdatesDialog dialog(http_, gateway.BaseUrl(), 108000, prompt_,
                             [this](const QUrl& url) { opened_.push_back(url); });
        EXPECT_EQ(dialog.ResultText(), QStringLiteral("Corvane version 1.08.001"));
        QTest::mouseClick(&Child<QPushButton>(dialog, "downloadButton"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        UpdatesDialog again(http_, gateway.BaseUrl(), 108000, prompt_,
                            [this](const QUrl& url) { opened_.push_back(url); });
        QTest::mouseClick(&Child<QPushButton>(again, "detailsButton"), Qt::LeftButton);
        ASSERT_EQ(opened_.size(), 2u);
        EXPECT_EQ(opened_[0].path(), QStringLiteral("/crv108_setup.exe"));
        EXPECT_EQ(opened_[1].path(), QStringLiteral("/corvane.htm"));
    }
    GatewayProcess current(dir_.Path());
    UpdatesDialog none(http_, current.BaseUrl(), 108000, prompt_, {});
    EXPECT_EQ(none.ResultText(), QStringLiteral("There are no updates available at this time."));
    EXPECT_FALSE(Child<QPushButton>(none, "detailsButton").isEnabled());
    EXPECT_FALSE(Child<QPushButton>(none, "downloadButton").isEnabled());
    EXPECT_TRUE(prompt_.shown.empty());

    UpdatesDialog unreachable(http_, "http://127.0.0.1:9", 108000, prompt_, {});
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].caption, "Corvane Error");
    EXPECT_TRUE(unreachable.ResultText().isEmpty());
}

}  // namespace
}  // namespace corvane::test
