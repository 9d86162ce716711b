#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

#include "CMainFrame.h"
#include "CurlHttpClient.h"
#include "DataDirBuilder.h"
#include "DlgBatch.h"
#include "DlgBreadth.h"
#include "DlgConvert.h"
#include "DlgDownloadHistQuotes.h"
#include "DlgList.h"
#include "DlgNewFolder.h"
#include "DlgNewSecurity.h"
#include "DlgProperties.h"
#include "DlgRename.h"
#include "DlgReport.h"
#include "FixedClock.h"
#include "GatewayProcess.h"
#include "InMemorySettingsStore.h"
#include "ProgressClicks.h"
#include "QtEventPump.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "ServiceSettings.h"
#include "SymbolDatabase.h"
#include "TempDir.h"
#include "UpdatesDialog.h"
#include "UrlOpening.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

template <typename T>
T& Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child) throw std::runtime_error(std::string("no child ") + name);
    return *child;
}

// A database with every list the dialog needs: entry lines name it after
// its section ("Industry 18 Co", symbol "I18").
std::string SmallDatabase() {
    std::string body =
        "MarketsNumber=2\r\nMarket1=New York\r\nMarket2=Milan\r\nSectorsNumber=9\r\n";
    for (int sector = 1; sector <= kSectorCount; ++sector) {
        const int first = kSectorFirstIndustry[sector - 1];
        const int count = kSectorFirstIndustry[sector] - first;
        body += "Sector" + std::to_string(sector) + "=Sector " + std::to_string(sector) + "\r\n";
        (void)count;
    }
    for (int sector = 1; sector <= kSectorCount; ++sector) {
        const int first = kSectorFirstIndustry[sector - 1];
        const int count = kSectorFirstIndustry[sector] - first;
        body += "[Sector" + std::to_string(sector) +
                "]\r\nIndustryNumber=" + std::to_string(count) + "\r\n";
        for (int j = first; j < first + count; ++j)
            body += "Industry" + std::to_string(j) + "=Industry " + std::to_string(j) + "\r\n";
    }
    body += "[US-Indices]\r\nIndexNumber=6\r\n";
    for (int j = 1; j <= 6; ++j)
        body += "Index" + std::to_string(j) + "=US group " + std::to_string(j) + "\r\n";
    body += "[World-Indices]\r\nIndexNumber=1\r\nIndex7=Europe\r\n";
    body += "[US-ETF]\r\nETFNumber=3\r\nETF1=Broad\r\nETF2=Sector\r\nETF3=Bond\r\n";
    body += "[World-ETF]\r\nETFNumber=1\r\nETF4=Asia\r\n";
    body +=
        "[Market1]\r\nMicrosoft Corporation,MSFT,NASDAQ\r\nAdams Golf,ADGF,NASDAQ\r\n"
        "MSC Industrial Direct,MSM,NYSE\r\nIntl Business Machines,IBM,NYSE\r\n\r\n";
    body += "[Market2]\r\nEni,ENI.MI,MIL\r\n\r\n[FOREX]\r\nEuro / US Dollar,$EURUSD,FX\r\n\r\n";
    for (int j = 1; j <= 215; ++j)
        body += "[Industry" + std::to_string(j) + "]\r\nIndustry " + std::to_string(j) + " Co,I" +
                std::to_string(j) + ",X\r\n\r\n";
    for (int j = 1; j <= 7; ++j)
        body += "[Index" + std::to_string(j) + "]\r\nIndex " + std::to_string(j) + ",^X" +
                std::to_string(j) + ",X\r\n\r\n";
    for (int j = 1; j <= 4; ++j)
        body += "[ETF" + std::to_string(j) + "]\r\nFund " + std::to_string(j) + ",F" +
                std::to_string(j) + ",X\r\n\r\n";
    std::size_t lines = 0;
    for (char c : body) lines += c == '\n';
    return "[SymbolDatabaseEx2] test\r\nLines=" + std::to_string(lines) + "\r\n" + body;
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The explorer of a main window over a temp folder, for driving the dialogs
// a new user meets.
class DownloadFlowTest : public ::testing::Test {
protected:
    DownloadFlowTest() {
        data_ = dir_ / "quotes";
        fs::create_directories(data_);
    }
    ~DownloadFlowTest() override {
        frame_.reset();
        std::error_code error;
        fs::current_path(startDirectory_, error);
    }
    CMainFrame& Frame(
        const fs::path& startup, std::function<bool()> finishAfterDownload = [] { return false; }) {
        frame_ = std::make_unique<CMainFrame>(
            doc_, settings_,
            FrameServices{[this](const QUrl& url) { opened_.push_back(url); }, store_, http_, pump_,
                          services_, services_.history, fs::path(CORVANE_SHARE_DIR) / "help",
                          dir_ / "user" / "report.txt", dir_ / "user", fs::path(CORVANE_SHARE_DIR),
                          [this] { ++signals_; }, std::move(finishAfterDownload),
                          [] { return true; }, [](const std::string&) {}});
        frame_->Create(MountedVolumes(), startup.string() + "/");
        frame_->show();
        return *frame_;
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> symbols;
        for (int row = 0; row < frame_->List().Model().rowCount(); ++row)
            symbols.push_back(frame_->List().Model().Cell(row, 0));
        return symbols;
    }
    void SelectRow(int row) {
        CRightListView& list = frame_->List();
        list.DetailsView().selectionModel()->select(
            list.Model().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Runs `check` on the next modal dialog of that type once it shows.
    template <typename Dialog>
    static void WhenModal(std::function<void(Dialog&)> check) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer, check = std::move(check)] {
            auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            timer->stop();
            timer->deleteLater();
            check(*dialog);
        });
        timer->start(20);
    }
    // Runs `check` on the modal dialog that `open` shows.
    template <typename Dialog>
    void WithModal(const std::function<void()>& open, std::function<void(Dialog&)> check) {
        bool seen = false;
        WhenModal<Dialog>([&](Dialog& dialog) {
            seen = true;
            check(dialog);
        });
        open();
        EXPECT_TRUE(seen);
    }

    QApplication& application_ = TestApplication();
    fs::path startDirectory_ = fs::current_path();
    TempDir dir_;
    fs::path data_;
    RecordingPrompt prompt_;
    FixedClock clock_{LocalDateTime{2013, 11, 8, 12, 0, 0, 5}};
    CCorvaneDoc doc_{prompt_, clock_};
    AppSettings settings_;
    InMemorySettingsStore store_;
    CurlHttpClient http_;
    QtEventPump pump_;
    ServiceUrls services_;
    std::vector<QUrl> opened_;
    int signals_ = 0;
    std::unique_ptr<CMainFrame> frame_;
};

TEST_F(DownloadFlowTest, AddNewFolderCreatesSelectsAndEntersIt) {
    CMainFrame& frame = Frame(dir_.Path());
    DlgNewFolder dialog(prompt_, frame.Tree(), frame.List());
    for (const char* bad : {"", "a/b", ".."}) {
        Child<QLineEdit>(dialog, "folderName").setText(QString::fromLatin1(bad));
        Child<QPushButton>(dialog, "addButton").click();
    }
    EXPECT_EQ(prompt_.Texts(),
              (std::vector<std::string>{"Enter a new folder name.", "Folder was not created.",
                                        "Folder was not created."}));
    Child<QLineEdit>(dialog, "folderName").setText(QStringLiteral("stocks"));
    Child<QPushButton>(dialog, "addButton").click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(fs::is_directory(dir_ / "stocks"));
    EXPECT_EQ(fs::current_path(), dir_ / "stocks");
    EXPECT_EQ(CLeftTreeView::FolderPath(frame.Tree().currentItem()),
              (dir_ / "stocks").string() + "/");
}

TEST_F(DownloadFlowTest, NewFolderIsOfferedWhileTheTreeHasTheFocusWhicheverWayTheMenuOpens) {
    CMainFrame& frame = Frame(dir_.Path());
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    auto& newButton = Child<QToolButton>(frame, "newButton");
    const std::function<void()> openings[] = {
        [&] {  // the File menu, clicked
            QMenuBar* bar = frame.menuBar();
            const QPoint at = bar->actionGeometry(bar->actions()[0]).center();
            QTest::mouseClick(bar->window()->windowHandle(), Qt::LeftButton, {},
                              bar->mapTo(bar->window(), at));
        },
        [&] { QTest::keyClick(&frame.Tree(), Qt::Key_F, Qt::AltModifier); },
        [&] {  // the drop-down arrow of the toolbar's New
            const QPoint arrow(newButton.width() - 3, newButton.height() / 2);
            QTest::mouseClick(frame.windowHandle(), Qt::LeftButton, {},
                              newButton.mapTo(&frame, arrow));
        }};
    for (std::size_t i = 0; i < std::size(openings); ++i) {
        frame.Tree().setFocus();
        ASSERT_TRUE(frame.Tree().hasFocus());
        QTimer::singleShot(100, [&, i] {
            EXPECT_NE(QApplication::activePopupWidget(), nullptr) << i;
            EXPECT_TRUE(frame.Command(kCmdNewFolder)->isEnabled()) << i;
            if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        });
        openings[i]();
        QTest::qWait(200);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << i;
    }
    // With the list focused, New Folder is not offered.
    frame.List().DetailsView().setFocus();
    frame.UpdateCommandStates();
    EXPECT_FALSE(frame.Command(kCmdNewFolder)->isEnabled());
}

TEST_F(DownloadFlowTest, AFolderReachedWithTheKeysOpensOnceTheyRest) {
    const fs::path pair = dir_ / "pair";
    MakeDataDir(pair / "a", {{"IBM", "IBM", 1}});
    MakeDataDir(pair / "b", {{"MSFT", "MSFT", 1}});
    CMainFrame& frame = Frame(pair / "a");
    frame.Tree().setFocus();
    QTreeWidgetItem* a = frame.Tree().FindItem((pair / "a").string() + "/");
    QTreeWidgetItem* b = frame.Tree().FindItem((pair / "b").string() + "/");
    ASSERT_TRUE(a && b);
    const bool below = a->parent()->indexOfChild(b) > a->parent()->indexOfChild(a);
    QTest::keyClick(&frame.Tree(), below ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_EQ(frame.Tree().currentItem(), b);
    EXPECT_EQ(Rows(), std::vector<std::string>{"IBM"});  // the keys may move on
    QTest::qWait(CLeftTreeView::kKeyboardSelectionDelayMs + 300);
    EXPECT_EQ(fs::current_path(), pair / "b");
    EXPECT_EQ(Rows(), std::vector<std::string>{"MSFT"});
}

TEST_F(DownloadFlowTest, AFolderMadeByAddingASecurityAppearsInTheTreeAtOnce) {
    MakeDataDir(data_, {{"IBM", "IBM", 1}});
    CMainFrame& frame = Frame(data_);
    const fs::path made = data_ / "new" / "deeper";
    WithModal<DlgNewSecurity>(
        [&] { frame.OnNewSecurity(); },
        [&](DlgNewSecurity& dialog) {
            Child<QLineEdit>(dialog, "securitySymbols").setText(QStringLiteral("MSFT"));
            Child<QLineEdit>(dialog, "outputDirectory")
                .setText(QString::fromStdString(made.string()));
            Child<QPushButton>(dialog, "addButton").click();
        });
    EXPECT_EQ(ReadSymbols(made), std::vector<std::string>{"MSFT"});
    QTreeWidgetItem* item = frame.Tree().FindItem(made.string() + "/");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->parent(), frame.Tree().FindItem((data_ / "new").string() + "/"));
}

TEST_F(DownloadFlowTest, APageWithoutAProgramToOpenItIsNamedToTheUser) {
    const struct {
        QUrl url;
        bool opens;
        const char* named;  // in the message; empty: no message
    } cases[] = {
        {QUrl(QStringLiteral("http://quotes.example/q/ks?s=IBM")), false,
         "http://quotes.example/q/ks?s=IBM"},
        {QUrl::fromLocalFile(QStringLiteral("/opt/corvane/help/breadth.htm")), false,
         "/opt/corvane/help/breadth.htm"},
        {QUrl(QStringLiteral("http://quotes.example/")), true, ""},
    };
    for (const auto& c : cases) {
        prompt_.shown.clear();
        std::vector<QUrl> asked;
        OpenerTellingFailures(prompt_, [&](const QUrl& url) {
            asked.push_back(url);
            return c.opens;
        })(c.url);
        EXPECT_EQ(asked, std::vector<QUrl>{c.url});
        if (c.opens) {
            EXPECT_TRUE(prompt_.shown.empty());
            continue;
        }
        ASSERT_EQ(prompt_.shown.size(), 1u);
        EXPECT_NE(prompt_.shown[0].text.find(c.named), std::string::npos) << prompt_.shown[0].text;
    }
}

TEST_F(DownloadFlowTest, AddNewSecurityTakesTypedSymbolsInAnyCase) {
    CMainFrame& frame = Frame(data_);
    DlgNewSecurity dialog(doc_, settings_, store_, frame.List(), nullptr);
    Child<QLineEdit>(dialog, "securitySymbols").setText(QStringLiteral("ibm  msft"));
    Child<QPushButton>(dialog, "addButton").click();
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"IBM", "MSFT"}));
    const std::vector<SecurityRecord> entries = ReadEntries(data_);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].name, "MSFT");
    EXPECT_EQ(entries[1].periodicity, 'D');
}

TEST_F(DownloadFlowTest, AnExistingSymbolAsksWhetherToOverwrite) {
    struct Case {
        PromptAnswer answer;
        std::vector<std::string> rows;
        bool closed;
    };
    const Case cases[] = {{PromptAnswer::Yes, {"MSFT", "IBM", "AAPL"}, true},
                          {PromptAnswer::No, {"IBM", "MSFT", "AAPL"}, true},
                          {PromptAnswer::Cancel, {"IBM", "MSFT"}, false}};
    for (const Case& c : cases) {
        fs::remove_all(data_);
        MakeDataDir(data_, {{"IBM", "IBM", 3}, {"MSFT", "MSFT", 1}});
        CMainFrame& frame = Frame(data_);
        prompt_.shown.clear();
        prompt_.answers = {c.answer};
        DlgNewSecurity dialog(doc_, settings_, store_, frame.List(), nullptr);
        Child<QLineEdit>(dialog, "securitySymbols").setText(QStringLiteral("IBM AAPL"));
        Child<QPushButton>(dialog, "addButton").click();
        EXPECT_EQ(
            prompt_.Texts(),
            std::vector<std::string>{"Security IBM already exists. Do you want to overwrite it?"});
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.closed);
        EXPECT_EQ(ReadBars(data_, "IBM").size(), c.answer == PromptAnswer::Yes ? 0u : 3u);
    }
    settings_.onOverwrite = 0;
    prompt_.shown.clear();
    DlgNewSecurity silent(doc_, settings_, store_, frame_->List(), nullptr);
    Child<QLineEdit>(silent, "securitySymbols").setText(QStringLiteral("MSFT"));
    Child<QPushButton>(silent, "addButton").click();
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_EQ(Rows().back(), "MSFT");
}

TEST_F(DownloadFlowTest, OnlyASymbolListOfMoreThan200CharactersShowsTheProgressWindow) {
    // Symbols "S1 S2 ..." up to the wanted length; the window leaves its
    // position in the settings when it closes.
    auto symbolsOf = [](std::size_t length) {
        std::string text = "S1";
        for (int i = 2; text.size() + 8 < length; ++i) text += " S" + std::to_string(i);
        return text + " " + std::string(length - text.size() - 1, 'Z');
    };
    for (const std::size_t length : {std::size_t{200}, std::size_t{201}}) {
        fs::remove_all(data_);
        fs::create_directories(data_);
        store_.WriteInt("Settings", "X", -1);
        CMainFrame& frame = Frame(data_);
        DlgNewSecurity dialog(doc_, settings_, store_, frame.List(), nullptr);
        Child<QLineEdit>(dialog, "securitySymbols")
            .setText(QString::fromStdString(symbolsOf(length)));
        Child<QPushButton>(dialog, "addButton").click();
        EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{}) << length;
        EXPECT_EQ(store_.ReadInt("Settings", "X", -1) != -1, length > 200) << length;
        EXPECT_TRUE(frame.isEnabled());
        EXPECT_EQ(ReadSymbols(data_).size(),
                  static_cast<std::size_t>(frame.List().Model().rowCount()));
        EXPECT_GT(frame.List().Model().rowCount(), 40);
    }
}

TEST_F(DownloadFlowTest, AddingManySecuritiesStopsAtAMouseClickOnCancel) {
    std::string symbols;
    for (int i = 0; i < 400; ++i) symbols += " S" + std::to_string(1000 + i);
    CMainFrame& frame = Frame(data_);
    WithModal<DlgNewSecurity>(
        [&] { frame.OnNewSecurity(); },
        [&](DlgNewSecurity& dialog) {
            Child<QLineEdit>(dialog, "securitySymbols").setText(QString::fromLatin1(symbols));
            CancelProgressByMouseOnceShown();
            Child<QPushButton>(dialog, "addButton").click();
        });
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Update is cancelled"});
    EXPECT_LT(ReadSymbols(data_).size(), 400u);
    EXPECT_TRUE(frame.isEnabled());
}

TEST_F(DownloadFlowTest, SymbolsAndNamesTooLongForTheStoreAreRefusedBeforeAnythingIsAdded) {
    CMainFrame& frame = Frame(data_);
    DlgNewSecurity dialog(doc_, settings_, store_, frame.List(), nullptr);
    Child<QLineEdit>(dialog, "securitySymbols").setText(QStringLiteral("IBM ABCDEFGHIJKLMNO"));
    Child<QPushButton>(dialog, "addButton").click();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("ABCDEFGHIJKLMNO is longer than 14"), std::string::npos);
    EXPECT_TRUE(ReadSymbols(data_).empty());

    // A name longer than its field is cut only when the user agrees.
    Child<QLineEdit>(dialog, "securitySymbols").setText(QStringLiteral("IBM"));
    dialog.SetNames("International Business Machines,");
    prompt_.answers = {PromptAnswer::No};
    Child<QPushButton>(dialog, "addButton").click();
    ASSERT_EQ(prompt_.shown.size(), 2u);
    EXPECT_NE(prompt_.shown[1].text.find("longer than 16 characters and would be stored as "
                                         "INTERNATIONAL BU."),
              std::string::npos);
    EXPECT_TRUE(ReadSymbols(data_).empty());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    Child<QPushButton>(dialog, "addButton").click();  // answered Yes
    ASSERT_EQ(ReadEntries(data_).size(), 1u);
    EXPECT_EQ(ReadEntries(data_)[0].name, "INTERNATIONAL BU");
}

TEST_F(DownloadFlowTest, ListsOfferTheDatabaseAndCustomizedLists) {
    const fs::path database = dir_ / "user" / kSymbolDatabaseName;
    WriteFile(database, SmallDatabase());
    WriteFile(dir_ / "user" / "mylist.sym", "IBM\r\nMicrosoft,MSFT\r\n");
    DlgList lists(prompt_, database, FindCustomLists({dir_ / "user"}), nullptr);
    auto rows = [&] {
        std::vector<std::string> texts;
        for (int i = 0; i < lists.Entries().topLevelItemCount(); ++i)
            texts.push_back((lists.Entries().topLevelItem(i)->text(0) + u'|' +
                             lists.Entries().topLevelItem(i)->text(1))
                                .toStdString());
        return texts;
    };
    EXPECT_EQ(lists.TypeList().count(), 20);
    EXPECT_EQ(lists.TypeList().itemText(4), QStringLiteral("  Sector 2"));
    EXPECT_EQ(lists.GroupList().itemText(1), QStringLiteral("Milan"));
    EXPECT_EQ(rows().size(), 4u);

    lists.Search().setText(QStringLiteral("m"));  // a prefix of the name, whatever its case
    EXPECT_EQ(rows(), (std::vector<std::string>{"Microsoft Corporation|MSFT",
                                                "MSC Industrial Direct|MSM"}));
    lists.Search().setText(QStringLiteral(" ms "));
    EXPECT_EQ(rows(), std::vector<std::string>{"MSC Industrial Direct|MSM"});
    lists.SetSearchMode(1);
    EXPECT_EQ(rows(), (std::vector<std::string>{"Microsoft Corporation|MSFT",
                                                "MSC Industrial Direct|MSM"}));
    lists.SortByColumn(1);  // the sort column again: descending
    EXPECT_EQ(rows(), (std::vector<std::string>{"MSC Industrial Direct|MSM",
                                                "Microsoft Corporation|MSFT"}));
    lists.Search().clear();

    lists.TypeList().setCurrentIndex(2);  // "Sectors:"
    EXPECT_TRUE(rows().empty());
    lists.TypeList().setCurrentIndex(4);  // sector 2, "All": its one industry
    EXPECT_EQ(rows(), std::vector<std::string>{"Industry 18 Co|I18"});
    lists.TypeList().setCurrentIndex(3);  // sector 1, "All": industries 1 to 17
    EXPECT_EQ(rows().size(), 17u);
    lists.GroupList().setCurrentIndex(17);
    EXPECT_EQ(rows(), std::vector<std::string>{"Industry 17 Co|I17"});
    lists.TypeList().setCurrentIndex(14);  // world indices start at group 7
    EXPECT_EQ(rows(), std::vector<std::string>{"Index 7|^X7"});
    lists.TypeList().setCurrentIndex(19);
    EXPECT_EQ(rows(), (std::vector<std::string>{"IBM|IBM", "Microsoft|MSFT"}));

    lists.Entries().selectAll();
    lists.OnOk();
    EXPECT_EQ(lists.PickedSymbols(), "IBM MSFT ");
    EXPECT_EQ(lists.PickedNames(), "IBM,Microsoft,");
    EXPECT_TRUE(prompt_.shown.empty());
    lists.Entries().clearSelection();
    lists.OnOk();
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"No selection has been made."});
    EXPECT_TRUE(lists.PickedSymbols().empty());
}

TEST_F(DownloadFlowTest, AMissingDatabaseStillOpensTheCustomizedLists) {
    WriteFile(dir_ / "user" / "mylist.sym", "IBM\r\n");
    DlgList lists(prompt_, dir_ / "nowhere.dta", FindCustomLists({dir_ / "user"}), nullptr);
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("cannot be read"), std::string::npos);
    lists.TypeList().setCurrentIndex(19);
    EXPECT_EQ(lists.Entries().topLevelItemCount(), 1);
}

TEST_F(DownloadFlowTest, PickedListEntriesBecomeTheNewSecurities) {
    CMainFrame& frame = Frame(data_);
    DlgNewSecurity dialog(doc_, settings_, store_, frame.List(),
                          [](std::string& symbols, std::string& names) {
                              symbols = "IBM MSFT ";
                              names = "Intl Business,Microsoft,";
                              return true;
                          });
    Child<QPushButton>(dialog, "listsButton").click();
    EXPECT_EQ(Child<QLineEdit>(dialog, "securitySymbols").text(), QStringLiteral("IBM MSFT "));
    Child<QPushButton>(dialog, "addButton").click();
    const std::vector<SecurityRecord> entries = ReadEntries(data_);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "INTL BUSINESS");
}

TEST_F(DownloadFlowTest, DownloadFillsTheStoreAndTheReportListsTheLastSecurityFirst) {
    GatewayProcess gateway(DemoDataDir(), {"--today", "20131108"});
    ASSERT_TRUE(gateway.Running());
    services_ = AllServicesAt(gateway.BaseUrl());
    MakeDataDir(data_, {{"MSFT", "MICROSOFT", 0}, {"NOSUCH", "NOSUCH", 0}, {"AAPL", "APPLE", 0}});
    CMainFrame& frame = Frame(data_);
    SelectRow(0);
    SelectRow(1);
    SelectRow(2);
    settings_.downloadSound = kSoundBeep;

    WithModal<DlgDownloadHistQuotes>(
        [&] { frame.OnDownload(); },
        [&](DlgDownloadHistQuotes& dialog) {
            EXPECT_EQ(Child<QLineEdit>(dialog, "downloadSymbols").text(),
                      QStringLiteral(" MSFT NOSUCH AAPL"));
            EXPECT_EQ(Child<QDateEdit>(dialog, "endDate").date(), QDate(2013, 11, 8));
            EXPECT_EQ(Child<QDateEdit>(dialog, "startDate").date(), QDate(2011, 11, 8));
            EXPECT_TRUE(Child<QRadioButton>(dialog, "daily").isChecked());
            EXPECT_FALSE(Child<QCheckBox>(dialog, "overwriteAll").isChecked());
            WhenModal<DlgReport>([&](DlgReport& shown) {
                DlgReport* report = &shown;
                QTreeWidget& rows = report->Rows();
                ASSERT_EQ(rows.topLevelItemCount(), 3);
                EXPECT_EQ(rows.topLevelItem(0)->text(1), QStringLiteral("AAPL"));
                EXPECT_EQ(rows.topLevelItem(0)->text(2), QStringLiteral("Success"));
                EXPECT_EQ(rows.topLevelItem(1)->text(1), QStringLiteral("NOSUCH"));
                EXPECT_EQ(rows.topLevelItem(1)->text(0), QStringLiteral("0"));
                EXPECT_EQ(rows.topLevelItem(1)->text(2), QStringLiteral("Invalid symbol"));
                EXPECT_TRUE(report->windowTitle().startsWith(
                    QStringLiteral("Last Download Report - 11/8/2013")));
                report->SortByColumn(1);
                EXPECT_EQ(rows.topLevelItem(0)->text(1), QStringLiteral("AAPL"));
                report->SortByColumn(1);
                EXPECT_EQ(rows.topLevelItem(0)->text(1), QStringLiteral("NOSUCH"));
                report->reject();
            });
            Child<QPushButton>(dialog, "getQuotes").click();
        });
    EXPECT_EQ(signals_, 1);
    EXPECT_GT(ReadBars(data_, "MSFT").size(), 400u);
    EXPECT_GT(ReadBars(data_, "AAPL").size(), 400u);
    EXPECT_TRUE(ReadBars(data_, "NOSUCH").empty());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"MSFT", "NOSUCH", "AAPL"}));  // reloaded
    EXPECT_NE(frame_->List().Model().Cell(0, 4), "");
}

TEST_F(DownloadFlowTest, MarketBreadthDownloadsWhatIsMissingThenCalculates) {
    GatewayProcess gateway(DemoDataDir(), {"--today", "20131108"});
    ASSERT_TRUE(gateway.Running());
    services_ = AllServicesAt(gateway.BaseUrl());
    MakeDataDir(data_, {{"MSFT", "MICROSOFT", 3}, {"AAPL", "APPLE", 3}, {"IBM", "IBM", 3}});
    clock_.Set({2013, 11, 7, 12, 0, 0, 4});  // the last day the quote service has
    CMainFrame& frame = Frame(data_);
    SelectRow(0);
    SelectRow(1);
    frame.UpdateCommandStates();
    ASSERT_TRUE(frame.Command(kCmdMarketBreadth)->isEnabled());

    WithModal<DlgBreadth>(
        [&] { frame.Command(kCmdMarketBreadth)->trigger(); },
        [&](DlgBreadth& dialog) {
            EXPECT_EQ(dialog.LastAnalysis().missingList, " MSFT AAPL");
            WhenModal<DlgDownloadHistQuotes>([&](DlgDownloadHistQuotes& download) {
                EXPECT_EQ(Child<QLineEdit>(download, "downloadSymbols").text(),
                          QStringLiteral(" MSFT AAPL"));
                EXPECT_EQ(Child<QDateEdit>(download, "startDate").date(), QDate(2011, 11, 7));
                EXPECT_EQ(Child<QDateEdit>(download, "endDate").date(), QDate(2013, 11, 7));
                QTest::mouseClick(&Child<QPushButton>(download, "getQuotes"), Qt::LeftButton);
            });
            QTest::mouseClick(&Child<QPushButton>(dialog, "updateButton"), Qt::LeftButton);
            // The download listed the directory again; the same rows are selected.
            EXPECT_EQ(frame.List().SelectedSymbols(), (std::vector<std::string>{"MSFT", "AAPL"}));
            EXPECT_TRUE(dialog.LastAnalysis().missingList.empty());
            QTest::mouseClick(&Child<QPushButton>(dialog, "calculateButton"), Qt::LeftButton);
            EXPECT_TRUE(dialog.Calculated());
            QTest::mouseClick(&Child<QPushButton>(dialog, "closeButton"), Qt::LeftButton);
        });
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_GT(ReadBars(data_, "#ADV").size(), 400u);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"MSFT", "AAPL", "IBM", "#ADV", "#DECL", "#UNCH",
                                                "#HIGHS", "#LOWS"}));
}

TEST_F(DownloadFlowTest, BatchDownloadFindsTheDirectoriesAndDownloadsTheTickedOnes) {
    GatewayProcess gateway(DemoDataDir(), {"--today", "20131108"});
    ASSERT_TRUE(gateway.Running());
    services_ = AllServicesAt(gateway.BaseUrl());
    const fs::path volume = dir_ / "volume";
    MakeDataDir(volume / "us", {{"MSFT", "MICROSOFT", 0}});
    MakeDataDir(volume / "us" / "tech", {{"AAPL", "APPLE", 0}});
    MakeDataDir(volume / "other", {{"MCD", "MCDONALDS", 0}});
    CMainFrame& frame = Frame(data_);
    // The volumes of this test: one folder standing for a mounted disk.
    frame.Create({VolumeRoot{volume.string() + "/", "Local Disk", kHardDiskImage}},
                 (volume / "us").string() + "/");
    WithModal<DlgBatch>(
        [&] { frame.Command(kCmdBatchDownload)->trigger(); },
        [&](DlgBatch& batch) {
            ASSERT_EQ(batch.List().count(), 3);
            QListWidgetItem* other =
                batch.List().findItems(QStringLiteral("other"), Qt::MatchExactly)[0];
            QTest::mouseClick(batch.List().viewport(), Qt::LeftButton, {},
                              batch.List().visualItemRect(other).center());
            WhenModal<DlgDownloadHistQuotes>([&](DlgDownloadHistQuotes& download) {
                EXPECT_FALSE(Child<QLineEdit>(download, "downloadSymbols").isEnabled());
                WhenModal<DlgReport>([](DlgReport& report) { report.reject(); });
                QTest::mouseClick(&Child<QPushButton>(download, "getQuotes"), Qt::LeftButton);
            });
            QTest::mouseClick(&Child<QPushButton>(batch, "okButton"), Qt::LeftButton);
        });
    EXPECT_GT(ReadBars(volume / "us", "MSFT").size(), 400u);
    EXPECT_GT(ReadBars(volume / "us" / "tech", "AAPL").size(), 400u);
    EXPECT_TRUE(ReadBars(volume / "other", "MCD").empty());  // unticked
    EXPECT_EQ(signals_, 2);                                  // the scan's end and the download's
}

TEST_F(DownloadFlowTest, TheStartupUpdateCheckRunsOnceItsPeriodHasPassed) {
    GatewayProcess gateway(DemoDataDir(), {"--latest-version", "108001"});
    services_ = AllServicesAt(gateway.BaseUrl());  // the maker's server too
    CMainFrame& frame = Frame(data_);
    settings_.checkVersion = 1;
    settings_.checkPeriodicity = 1;  // weekly
    settings_.lastUpdate = "";       // never: counts from 20070101
    bool shown = false;
    WhenModal<UpdatesDialog>([&](UpdatesDialog& dialog) {
        shown = true;
        EXPECT_EQ(settings_.lastUpdate, "20131108");  // set before the dialog shows
        EXPECT_EQ(dialog.ResultText(), QStringLiteral("Corvane version 1.08.001"));
        dialog.reject();
    });
    frame.RunStartupUpdateCheck();
    EXPECT_TRUE(shown);
    // The same day again: not due; the pending watch would fail on a dialog.
    frame.RunStartupUpdateCheck();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    settings_.checkVersion = 0;
    settings_.lastUpdate = "20010101";
    frame.RunStartupUpdateCheck();
    EXPECT_EQ(settings_.lastUpdate, "20010101");
}

TEST_F(DownloadFlowTest, ConvertToAsciiFromTheMenuWritesTheSelectedSecurities) {
    MakeDataDir(data_, {{"IBM", "IBM", 3}, {"MSFT", "MICROSOFT", 2}, {"AAPL", "APPLE", 1}});
    fs::create_directories(dir_ / "out");
    settings_.conversionOptions = ConversionOptions::Defaults();
    CMainFrame& frame = Frame(data_);
    SelectRow(0);
    SelectRow(2);
    frame.UpdateCommandStates();
    WithModal<DlgConvert>([&] { frame.Command(kCmdConvert)->trigger(); },
                          [&](DlgConvert& dialog) {
                              EXPECT_EQ(Child<QLineEdit>(dialog, "securitySymbol").text(),
                                        QStringLiteral(" IBM AAPL"));
                              auto& output = Child<QLineEdit>(dialog, "outputDirectory");
                              output.setText(QString::fromStdString((dir_ / "out").string()));
                              QTest::keyClick(&output, Qt::Key_Return);
                          });
    EXPECT_EQ(ReadFile(dir_ / "out" / "IBM.txt"),
              "<DTYYYYMMDD>,<OPEN>,<HIGH>,<LOW>,<CLOSE>,<VOL>\n"
              "20050103,10.00,11.00,9.00,10.00,1000.00\n"
              "20050104,11.00,12.00,10.00,11.00,1001.00\n"
              "20050105,12.00,13.00,11.00,12.00,1002.00\n");
    EXPECT_TRUE(fs::exists(dir_ / "out" / "AAPL.txt"));
    EXPECT_FALSE(fs::exists(dir_ / "out" / "MSFT.txt"));
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(DownloadFlowTest, PresetAndBatchOpeningsDownloadWhatTheCallerGives) {
    GatewayProcess gateway(DemoDataDir(), {"--today", "20131108"});
    ASSERT_TRUE(gateway.Running());
    services_ = AllServicesAt(gateway.BaseUrl());
    MakeDataDir(data_, {{"MSFT", "MICROSOFT", 0}});
    MakeDataDir(dir_ / "other", {{"AAPL", "APPLE", 0}});
    CMainFrame& frame = Frame(data_);
    DownloadContext context{http_,   prompt_, clock_, pump_, services_, dir_ / "report.txt",
                            nullptr, nullptr};

    DlgDownloadHistQuotes preset(context, "", nullptr, &frame);
    preset.SetPreset(" MSFT", 20130101, 20130131);
    Child<QRadioButton>(preset, "weekly").setChecked(true);
    Child<QPushButton>(preset, "getQuotes").click();
    EXPECT_TRUE(preset.Ran());
    const std::vector<PriceBar> weeks = ReadBars(data_, "MSFT");
    EXPECT_GE(weeks.size(), 4u);
    EXPECT_LE(weeks.size(), 6u);

    BatchTable batch;
    batch.slots[0] = BatchEntry{true, "other", (dir_ / "other").string(), 1, " AAPL"};
    batch.filled = 1;
    DlgDownloadHistQuotes batchDialog(context, " MSFT", &batch, &frame);
    EXPECT_FALSE(Child<QLineEdit>(batchDialog, "downloadSymbols").isEnabled());
    Child<QPushButton>(batchDialog, "getQuotes").click();
    EXPECT_GT(ReadBars(dir_ / "other", "AAPL").size(), 400u);
    EXPECT_EQ(ReadBars(data_, "MSFT").size(), weeks.size());  // the symbols field is not used
}

TEST_F(DownloadFlowTest, AfterDownloadEndsTheSystemInsteadOfShowingTheReport) {
    GatewayProcess gateway(DemoDataDir(), {"--today", "20131108"});
    services_ = AllServicesAt(gateway.BaseUrl());
    MakeDataDir(data_, {{"MSFT", "MICROSOFT", 0}});
    bool ended = false;
    CMainFrame& frame = Frame(data_, [&ended] { return ended = true; });
    SelectRow(0);
    bool reportShown = false;
    WhenModal<DlgReport>([&](DlgReport& report) {
        reportShown = true;
        report.reject();
    });
    WithModal<DlgDownloadHistQuotes>(
        [&] { frame.OnDownload(); },
        [](DlgDownloadHistQuotes& dialog) { Child<QPushButton>(dialog, "getQuotes").click(); });
    QTest::qWait(100);
    EXPECT_TRUE(ended);
    EXPECT_EQ(signals_, 1);
    EXPECT_FALSE(reportShown);
}

TEST_F(DownloadFlowTest, ReportStatusesFollowTheNumbers) {
    WriteFile(dir_ / "report.txt", "3/15/2005\nIBM,-1\nMSFT,0\nORCL,25\n");
    DlgReport report(dir_ / "report.txt");
    QTreeWidget& rows = report.Rows();
    ASSERT_EQ(rows.topLevelItemCount(), 3);
    const char* expected[][3] = {{"25", "ORCL", "Success"},
                                 {"0", "MSFT", "No new data available"},
                                 {"0", "IBM", "Invalid symbol"}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(rows.topLevelItem(row)->text(column),
                      QString::fromLatin1(expected[row][column]));
    DlgReport missing(dir_ / "none.txt");
    EXPECT_EQ(missing.Rows().topLevelItemCount(), 0);
}

TEST_F(DownloadFlowTest, PropertiesAndChangePropertiesWorkOnTheFirstSelectedRow) {
    MakeDataDir(data_, {{"IBM", "IBM CORP", 3}, {"MSFT", "MICROSOFT", 2}});
    CMainFrame& frame = Frame(data_);
    DlgProperties properties(prompt_, "IBM");
    EXPECT_EQ(
        properties.Lines(),
        (QStringList{QStringLiteral("Symbol:\t\tIBM"), QStringLiteral("Name:\t\tIBM CORP"),
                     QStringLiteral("FirstDate:\t01/03/2005"),
                     QStringLiteral("LastDate:\t01/05/2005"), QStringLiteral("Periodicity:\tDaily"),
                     QStringLiteral("Records:\t3"), QStringLiteral("Format:\t\tMetaStock File")}));

    DlgRename rename(doc_, frame.List(), "IBM");
    EXPECT_EQ(Child<QLineEdit>(rename, "renameName").text(), QStringLiteral("IBM CORP"));
    Child<QLineEdit>(rename, "renameName").clear();
    rename.OnOk();
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Please, enter security symbol and name."});
    Child<QLineEdit>(rename, "renameName").setText(QStringLiteral("BIG BLUE"));
    Child<QLineEdit>(rename, "renameSymbol").setText(QStringLiteral("msft"));  // taken
    rename.OnOk();
    EXPECT_EQ(prompt_.shown.back().text, "Security already exists: MSFT");
    EXPECT_NE(rename.result(), QDialog::Accepted);
    EXPECT_EQ(ReadSymbols(data_), (std::vector<std::string>{"IBM", "MSFT"}));
    Child<QLineEdit>(rename, "renameSymbol").setText(QStringLiteral("IBMX"));
    Child<QLineEdit>(rename, "renameName").setText(QStringLiteral("BIG BLUE"));
    rename.OnOk();
    EXPECT_EQ(rename.result(), QDialog::Accepted);
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"MSFT", "IBMX"}));  // the renamed row moves to the end
    EXPECT_EQ(ReadEntries(data_)[0].name, "BIG BLUE");
    EXPECT_EQ(ReadBars(data_, "IBMX").size(), 3u);
}

TEST_F(DownloadFlowTest, SymbolsAndNamesAreStoredInLatin1Capitals) {
    // Typed text reaches the files in their single-byte encoding, upper-cased
    // with its accented letters; what that encoding cannot hold is refused
    // before anything is written.
    MakeDataDir(data_, {{"IBM", "IBM CORP", 3}});
    CMainFrame& frame = Frame(data_);
    DlgNewSecurity add(doc_, settings_, store_, frame.List(), nullptr);
    Child<QLineEdit>(add, "securitySymbols").setText(QStringLiteral("ok nestl\u00e9 \u65e5\u672c"));
    Child<QPushButton>(add, "addButton").click();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("cannot be stored: U+65E5 U+672C."), std::string::npos);
    EXPECT_EQ(ReadSymbols(data_), std::vector<std::string>{"IBM"});
    Child<QLineEdit>(add, "securitySymbols").setText(QStringLiteral("nestl\u00e9"));
    Child<QPushButton>(add, "addButton").click();
    EXPECT_EQ(ReadSymbols(data_), (std::vector<std::string>{"IBM", "NESTL\xC9"}));
    EXPECT_EQ(frame.List().Model().data(frame.List().Model().index(1, 0), Qt::DisplayRole),
              QStringLiteral("NESTL\u00c9"));

    // The download does not look such a symbol up as "?".
    prompt_.shown.clear();
    DlgDownloadHistQuotes download(frame.MakeDownloadContext(), " IBM", nullptr);
    Child<QLineEdit>(download, "downloadSymbols").setText(QStringLiteral("IBM \u65e5\u672c"));
    Child<QPushButton>(download, "getQuotes").click();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("U+65E5"), std::string::npos);
    EXPECT_FALSE(download.Ran());

    prompt_.shown.clear();
    DlgRename rename(doc_, frame.List(), "IBM");
    Child<QLineEdit>(rename, "renameSymbol").setText(QStringLiteral("ibm2"));
    Child<QLineEdit>(rename, "renameName").setText(QStringLiteral("\u6771\u4eac"));
    rename.OnOk();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("Latin-1"), std::string::npos);
    EXPECT_EQ(ReadEntries(data_)[0].name, "IBM CORP");
    Child<QLineEdit>(rename, "renameName").setText(QStringLiteral("Soci\u00e9t\u00e9"));
    rename.OnOk();
    EXPECT_EQ(rename.result(), QDialog::Accepted);
    EXPECT_EQ(ReadSymbols(data_), (std::vector<std::string>{"IBM2", "NESTL\xC9"}));
    EXPECT_EQ(ReadEntries(data_)[0].name, "Soci\xE9t\xE9");
}

// The server side is the gateway, serving the database of a share folder.
class SymbolDatabaseUpdateTest : public DownloadFlowTest {
protected:
    class CancelAt : public Progress {
    public:
        explicit CancelAt(int position) : cancelAt_(position) {}
        void SetRange(int) override {}
        void SetPosition(int position) override { position_ = position; }
        void SetText(const std::string&) override {}
        bool IsCancelled() override { return cancelAt_ > 0 && position_ >= cancelAt_; }

    private:
        int cancelAt_;
        int position_ = 0;
    };

    bool Update(const std::string& url, int cancelAt = 0) {
        CancelAt progress(cancelAt);
        return UpdateSymbolDatabase(http_, url, target_, progress, prompt_);
    }

    fs::path target_ = dir_ / "user" / kSymbolDatabaseName;
};

TEST_F(SymbolDatabaseUpdateTest, ACompleteAnswerReplacesTheDatabase) {
    WriteFile(dir_ / "share" / kSymbolDatabaseName, SmallDatabase());
    WriteFile(target_, "old database\r\n");
    GatewayProcess gateway(DemoDataDir(), {"--share", (dir_ / "share").string()});
    ASSERT_TRUE(Update(gateway.BaseUrl()));
    EXPECT_EQ(ReadFile(target_), SmallDatabase());
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_FALSE(fs::exists(target_.string() + ".part"));
}

TEST_F(SymbolDatabaseUpdateTest, ACancelOrAFailureKeepsTheOldDatabase) {
    const std::string full = SmallDatabase();
    WriteFile(dir_ / "share" / kSymbolDatabaseName, full);
    WriteFile(dir_ / "cut" / kSymbolDatabaseName, full.substr(0, full.size() / 2));
    WriteFile(dir_ / "page" / kSymbolDatabaseName, "<html>Not here</html>\r\n");
    WriteFile(target_, "old database\r\n");
    GatewayProcess gateway(DemoDataDir(), {"--share", (dir_ / "share").string()});
    EXPECT_TRUE(Update(gateway.BaseUrl(), 3));
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Update is cancelled"});
    for (const char* share : {"cut", "page", "missing"}) {
        GatewayProcess other(DemoDataDir(), {"--share", (dir_ / share).string()});
        prompt_.shown.clear();
        EXPECT_TRUE(Update(other.BaseUrl())) << share;
        ASSERT_EQ(prompt_.shown.size(), 1u) << share;
        EXPECT_EQ(prompt_.shown[0].caption, "Corvane Error Message");
    }
    prompt_.shown.clear();
    EXPECT_FALSE(Update("http://127.0.0.1:1"));
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_EQ(prompt_.shown[0].caption, "Corvane Error Message");
    EXPECT_EQ(ReadFile(target_), "old database\r\n");
}

TEST_F(SymbolDatabaseUpdateTest, TheCommandRunsUnderTheProgressWindowAndEscapeCancelsIt) {
    WriteFile(dir_ / "share" / kSymbolDatabaseName, SmallDatabase());
    GatewayProcess gateway(DemoDataDir(), {"--share", (dir_ / "share").string()});
    services_ = AllServicesAt(gateway.BaseUrl());
    WriteFile(target_, "old database\r\n");
    CMainFrame& frame = Frame(data_);
    frame_->setObjectName(QStringLiteral("mainFrame"));

    // An Escape typed before the first line is written cancels the update.
    QCoreApplication::postEvent(&frame,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(frame.OnUpdateSymbolDatabase());
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Update is cancelled"});
    EXPECT_EQ(ReadFile(target_), "old database\r\n");
    EXPECT_TRUE(frame.isEnabled());

    prompt_.shown.clear();
    EXPECT_TRUE(frame.OnUpdateSymbolDatabase());
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_EQ(ReadFile(target_), SmallDatabase());
    EXPECT_NE(store_.ReadInt("Settings", "X", -1), -1);  // the window kept its place
    EXPECT_TRUE(frame.isEnabled());
}

TEST_F(SymbolDatabaseUpdateTest, ADatabaseThatCannotBeWrittenSaysSo) {
    WriteFile(dir_ / "share" / kSymbolDatabaseName, SmallDatabase());
    WriteFile(dir_ / "file", "x");
    GatewayProcess gateway(DemoDataDir(), {"--share", (dir_ / "share").string()});
    CancelAt progress(0);
    EXPECT_TRUE(UpdateSymbolDatabase(http_, gateway.BaseUrl(), dir_ / "file" / kSymbolDatabaseName,
                                     progress, prompt_));
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_NE(prompt_.shown[0].text.find("cannot be written"), std::string::npos);
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// The database shipped with the program holds every list the lists dialog
// shows, in the numbering the dialog relies on.
TEST(ShippedSymbolDatabaseTest, HoldsEveryListInItsFixedNumbering) {
    const fs::path path = fs::path(CORVANE_SHARE_DIR) / kSymbolDatabaseName;
    const std::optional<SymbolDatabase> database = SymbolDatabase::Load(path);
    ASSERT_TRUE(database);
    const std::vector<std::string>& lines = database->Lines();
    ASSERT_GT(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Lines=" + std::to_string(lines.size() - 2));

    const std::vector<std::string> exchanges = database->Exchanges();
    ASSERT_FALSE(exchanges.empty());
    for (std::size_t i = 1; i <= exchanges.size(); ++i)
        EXPECT_GE(database->Section("[Market" + std::to_string(i) + "]").size(), 10u) << i;
    EXPECT_FALSE(database->Section("[FOREX]").empty());

    ASSERT_EQ(database->Sectors().size(), 9u);
    for (int sector = 1; sector <= kSectorCount; ++sector) {
        const int first = kSectorFirstIndustry[sector - 1];
        const int count = kSectorFirstIndustry[sector] - first;
        EXPECT_EQ(database->Industries(sector).size(), static_cast<std::size_t>(count)) << sector;
        for (int industry = first; industry < first + count; ++industry)
            EXPECT_FALSE(database->Section("[Industry" + std::to_string(industry) + "]").empty())
                << industry;
    }
    ASSERT_EQ(database->UsIndexGroups().size(), static_cast<std::size_t>(kUsIndexGroups));
    ASSERT_EQ(database->UsEtfGroups().size(), static_cast<std::size_t>(kUsEtfGroups));
    const std::size_t indexGroups = kUsIndexGroups + database->WorldIndexGroups().size();
    const std::size_t etfGroups = kUsEtfGroups + database->WorldEtfGroups().size();
    for (std::size_t j = 1; j <= indexGroups; ++j)
        EXPECT_FALSE(database->Section("[Index" + std::to_string(j) + "]").empty()) << j;
    for (std::size_t j = 1; j <= etfGroups; ++j)
        EXPECT_FALSE(database->Section("[ETF" + std::to_string(j) + "]").empty()) << j;

    // Every entry fits the store: a picked security is never refused.
    for (int sector = 1; sector <= kSectorCount; ++sector)
        for (const ListEntry& entry : database->SectorEntries(sector)) {
            EXPECT_FALSE(entry.symbol.empty()) << entry.name;
            EXPECT_LE(entry.symbol.size(), 14u) << entry.symbol;
        }
}

}  // namespace
}  // namespace corvane::test
