#include <gtest/gtest.h>

#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QTreeView>

#include <filesystem>

#include "CLeftTreeView.h"
#include "CRightListView.h"
#include "DataDirBuilder.h"
#include "DlgRename.h"
#include "FixedClock.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "StoreWriter.h"
#include "TempDir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// The two panes side by side in a shown window, over folders in a temp
// directory, driven by mouse clicks as a user drives them.
class ExplorerTest : public ::testing::Test {
protected:
    ExplorerTest() : list_(doc_, settings_), tree_(settings_, list_) {
        auto* layout = new QHBoxLayout(&window_);
        layout->addWidget(&tree_);
        layout->addWidget(&list_);
        window_.resize(900, 600);
        window_.show();
        QObject::connect(&tree_, &CLeftTreeView::TitleRequested, &window_,
                         &QWidget::setWindowTitle);
        QObject::connect(&list_, &CRightListView::TitleRequested, &window_,
                         &QWidget::setWindowTitle);
    }
    ~ExplorerTest() override {
        std::error_code error;
        fs::current_path(startDirectory_, error);
        // The panes live inside window_; take them out before it goes.
        tree_.setParent(nullptr);
        list_.setParent(nullptr);
    }

    static std::string Folder(const fs::path& path) { return path.string() + "/"; }
    void Open(const fs::path& startup) { tree_.Create(MountedVolumes(), Folder(startup)); }
    QTreeWidgetItem* Item(const fs::path& folder) { return tree_.FindItem(Folder(folder)); }
    void Click(const fs::path& folder) {
        QTreeWidgetItem* item = Item(folder);
        ASSERT_NE(item, nullptr) << folder;
        tree_.scrollToItem(item);
        QTest::mouseClick(tree_.viewport(), Qt::LeftButton, {},
                          tree_.visualItemRect(item).center());
    }
    void DoubleClick(const fs::path& folder) {
        QTreeWidgetItem* item = Item(folder);
        ASSERT_NE(item, nullptr) << folder;
        tree_.scrollToItem(item);
        const QPoint at = tree_.visualItemRect(item).center();
        QTest::mouseClick(tree_.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree_.viewport(), Qt::LeftButton, {}, at);
    }
    void ClickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        QTreeView& view = list_.DetailsView();
        const QRect rect = view.visualRect(list_.Model().index(row, 0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, rect.center());
    }
    void ClickHeader(int column) {
        QHeaderView* header = list_.DetailsView().header();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> cells;
        for (int row = 0; row < list_.Model().rowCount(); ++row)
            cells.push_back(list_.Model().Cell(row, column));
        return cells;
    }
    std::vector<std::string> Children(const fs::path& folder) {
        std::vector<std::string> names;
        QTreeWidgetItem* item = Item(folder);
        for (int i = 0; item && i < item->childCount(); ++i)
            names.push_back(item->child(i)->text(0).toStdString());
        std::sort(names.begin(), names.end());
        return names;
    }

    QApplication& application_ = TestApplication();
    fs::path startDirectory_ = fs::current_path();
    TempDir root_;
    RecordingPrompt prompt_;
    FixedClock clock_;
    CCorvaneDoc doc_{prompt_, clock_};
    AppSettings settings_;
    QWidget window_;
    CRightListView list_;
    CLeftTreeView tree_;
};

TEST_F(ExplorerTest, StartupWalkOpensTheNestedDataDirectory) {
    const fs::path data = root_ / "a" / "b" / "data";
    MakeDataDir(data, {{"IBM", "INTL BUSINESS MACH", 3}, {"AAPL", "APPLE", 2}});
    fs::create_directories(root_ / "a" / "other");
    fs::create_directories(data / "sub");
    Open(data);

    EXPECT_EQ(fs::current_path(), data);
    EXPECT_EQ(tree_.FolderPath(tree_.currentItem()), Folder(data));
    EXPECT_EQ(Children(root_ / "a"), (std::vector<std::string>{"b", "other"}));
    EXPECT_EQ(Children(data), std::vector<std::string>{"sub"});
    EXPECT_EQ(Column(0), (std::vector<std::string>{"IBM", "AAPL"}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"Daily", "Daily"}));
    EXPECT_EQ(Column(3)[0], "01/03/2005");
    EXPECT_TRUE(settings_.lastDirectory.empty());  // the walk does not change it
}

TEST_F(ExplorerTest, StartupWalkStopsAtTheDeepestFolderThatExists) {
    fs::create_directories(root_ / "a");
    Open(root_ / "a" / "gone" / "deeper");
    EXPECT_EQ(fs::current_path(), root_ / "a");
    EXPECT_EQ(list_.Model().rowCount(), 0);
}

TEST_F(ExplorerTest, ClickingADataFolderListsItAndANonDataFolderEmptiesTheList) {
    MakeDataDir(root_ / "data", {{"IBM", "INTL BUSINESS MACH", 3}});
    fs::create_directories(root_ / "plain");
    Open(root_.Path());

    Click(root_ / "data");
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Corvane [data]"));
    EXPECT_EQ(settings_.lastDirectory, Folder(root_ / "data"));
    EXPECT_EQ(Column(0), std::vector<std::string>{"IBM"});

    Click(root_ / "plain");
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Corvane [plain]"));
    EXPECT_EQ(fs::current_path(), root_ / "plain");
    EXPECT_EQ(list_.Model().rowCount(), 0);
    EXPECT_EQ(settings_.lastDirectory, Folder(root_ / "data"));
}

TEST_F(ExplorerTest, DoubleClickCollapsesAndThenListsSubfoldersAfresh) {
    fs::create_directories(root_ / "a" / "one");
    fs::create_directories(root_ / ".hidden");
    Open(root_.Path());
    EXPECT_EQ(Children(root_.Path()), (std::vector<std::string>{".hidden", "a"}));
    DoubleClick(root_ / "a");
    EXPECT_EQ(Children(root_ / "a"), std::vector<std::string>{"one"});
    EXPECT_TRUE(Item(root_ / "a")->isExpanded());

    fs::create_directories(root_ / "a" / "two");
    DoubleClick(root_ / "a");  // collapses, forgetting the children
    EXPECT_EQ(Item(root_ / "a")->childCount(), 0);
    DoubleClick(root_ / "a");
    EXPECT_EQ(Children(root_ / "a"), (std::vector<std::string>{"one", "two"}));
}

TEST_F(ExplorerTest, HeaderClicksSortAscendingThenDescendingAndDatesByTheirKey) {
    // MakeDataDir dates every security from 2005; give one a 1999 date.
    MakeDataDir(root_ / "data",
                {{"MSFT", "MICROSOFT", 2}, {"AAPL", "APPLE", 3}, {"IBM", "IBM", 1}});
    {
        StoreWriter writer(prompt_, clock_);
        ASSERT_TRUE(Succeeded(writer.Open(root_ / "data")));
        ASSERT_TRUE(Succeeded(writer.UpdateSecurityInfo("IBM", 991231, 991231, 'D')));
        writer.Close();
    }
    Open(root_ / "data");
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"AAPL", "IBM", "MSFT"}));
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"MSFT", "IBM", "AAPL"}));
    EXPECT_FALSE(list_.SortAscending());
    ClickHeader(3);  // FirstDate: 12/31/1999 comes before 01/03/2005
    EXPECT_TRUE(list_.SortAscending());
    EXPECT_EQ(Column(0).front(), "IBM");
    ClickHeader(4);
    EXPECT_EQ(Column(4), (std::vector<std::string>{"12/31/1999", "01/04/2005", "01/05/2005"}));
}

TEST_F(ExplorerTest, EveryViewModeShowsTheWholeSymbolOfEveryRow) {
    // Short symbols first and last, a long one listed and the longest a
    // symbol can be added later: the icon views give every item one size.
    MakeDataDir(root_ / "data", {{"A", "A", 1}, {"QQQQQQQQQQ", "Q", 1}, {"MSFT", "MSFT", 1}});
    Open(root_ / "data");
    list_.AddSecurityRow("WWWWWWWWWWWWWW", "W", 'D', 1050103, 1050103);
    list_.AddSecurityRow("B", "B", 'D', 1050103, 1050103);

    const std::pair<int, const char*> modes[] = {{CRightListView::LargeIcons, "large icons"},
                                                 {CRightListView::SmallIcons, "small icons"},
                                                 {CRightListView::List, "list"},
                                                 {CRightListView::Details, "report"}};
    for (const auto& [mode, name] : modes) {
        list_.SetViewMode(mode);
        QAbstractItemView& view = mode == CRightListView::Details
                                      ? static_cast<QAbstractItemView&>(list_.DetailsView())
                                      : list_.IconView();
        // Beside the text of every mode but large icons stands a 16-pixel icon.
        const int icon = mode == CRightListView::LargeIcons ? 0 : 16;
        for (int row = 0; row < list_.Model().rowCount(); ++row) {
            const QString symbol = QString::fromLatin1(list_.Model().Cell(row, 0));
            EXPECT_GE(view.visualRect(list_.Model().index(row, 0)).width(),
                      icon + view.fontMetrics().horizontalAdvance(symbol))
                << name << " " << symbol.toStdString();
        }
    }
}

TEST_F(ExplorerTest, DeleteAsksWhenTheWarningIsOnAndNotWhenItIsOff) {
    MakeDataDir(root_ / "data", {{"IBM", "IBM", 1}, {"MSFT", "MSFT", 1}, {"AAPL", "AAPL", 1}});
    Open(root_ / "data");
    ClickRow(0);
    prompt_.answers = {PromptAnswer::Cancel};
    list_.DeleteSelected();
    ASSERT_EQ(prompt_.Texts(),
              std::vector<std::string>{"Are you sure you want to delete selected securities?"});
    EXPECT_EQ(ReadSymbols(root_ / "data").size(), 3u);

    list_.DeleteSelected();  // answered OK
    EXPECT_EQ(ReadSymbols(root_ / "data"), (std::vector<std::string>{"MSFT", "AAPL"}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"MSFT", "AAPL"}));

    settings_.onDelete = 0;
    prompt_.shown.clear();
    ClickRow(0);
    ClickRow(1, Qt::ControlModifier);
    list_.DeleteSelected();
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_TRUE(ReadSymbols(root_ / "data").empty());
    EXPECT_EQ(list_.Model().rowCount(), 0);
}

TEST_F(ExplorerTest, CopyThenPasteIntoAnotherDirectory) {
    MakeDataDir(root_ / "from", {{"IBM", "INTL BUSINESS MACH", 4}, {"MSFT", "MICROSOFT", 2}});
    fs::create_directories(root_ / "to");
    Open(root_ / "from");
    list_.SelectAll();
    list_.Copy();
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_EQ(text.count(u'\n'), 2);
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("0,") + QString::fromStdString((root_ / "from").string())));

    Click(root_ / "to");
    list_.Paste();
    EXPECT_EQ(Column(0), (std::vector<std::string>{"IBM", "MSFT"}));
    EXPECT_EQ(ReadBars(root_ / "to", "IBM").size(), 4u);
    EXPECT_EQ(ReadSymbols(root_ / "from").size(), 2u);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());  // a paste happens once
    list_.Paste();
    EXPECT_EQ(ReadSymbols(root_ / "to").size(), 2u);
}

TEST_F(ExplorerTest, CutDimsTheRowsAndThePasteMovesTheSecurity) {
    MakeDataDir(root_ / "from", {{"IBM", "INTL BUSINESS MACH", 4}, {"MSFT", "MICROSOFT", 2}});
    fs::create_directories(root_ / "to");
    Open(root_ / "from");
    ClickRow(1);
    list_.Cut();
    EXPECT_TRUE(list_.Model().data(list_.Model().index(1, 0), ListRowsModel::kCutRole).toBool());
    EXPECT_FALSE(list_.Model().data(list_.Model().index(0, 0), ListRowsModel::kCutRole).toBool());
    EXPECT_EQ(list_.Model().rowCount(), 2);  // the rows stay until pasted

    Click(root_ / "to");
    list_.Paste();
    EXPECT_EQ(ReadSymbols(root_ / "from"), std::vector<std::string>{"IBM"});
    EXPECT_EQ(ReadBars(root_ / "to", "MSFT").size(), 2u);
    EXPECT_EQ(Column(0), std::vector<std::string>{"MSFT"});
}

TEST_F(ExplorerTest, ACutPastedIntoItsOwnDirectoryStaysAndLosesItsDimming) {
    MakeDataDir(root_ / "data", {{"IBM", "INTL BUSINESS MACH", 4}, {"MSFT", "MICROSOFT", 2}});
    Open(root_ / "data");
    ClickRow(0);
    ClickRow(1, Qt::ControlModifier);
    list_.Cut();
    list_.Paste();
    EXPECT_EQ(ReadSymbols(root_ / "data"), (std::vector<std::string>{"IBM", "MSFT"}));
    EXPECT_EQ(ReadBars(root_ / "data", "IBM").size(), 4u);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"IBM", "MSFT"}));
    for (int row = 0; row < list_.Model().rowCount(); ++row)
        EXPECT_FALSE(
            list_.Model().data(list_.Model().index(row, 0), ListRowsModel::kCutRole).toBool())
            << row;
}

TEST_F(ExplorerTest, ChangePropertiesShowsTheLongestSymbolAndNameWhole) {
    // A name field holds 16 characters in the first 255 entries, 29 beyond.
    const std::string low(14, 'W'), extended = "X" + std::string(13, 'W');
    std::vector<StoredSecurity> securities{{low, std::string(16, 'W')}};
    for (int i = 1; i < 255; ++i) securities.push_back({"S" + std::to_string(i), "S"});
    securities.push_back({extended, std::string(29, 'W')});
    MakeDataDir(root_ / "data", securities);
    Open(root_ / "data");
    QFont large = application_.font();
    large.setPointSizeF(large.pointSizeF() * 2);

    const std::pair<std::string, int> entries[] = {{low, 16}, {extended, 29}};
    for (const auto& [symbol, nameLength] : entries)
        for (const QFont& font : {application_.font(), large}) {
            DlgRename dialog(doc_, list_, symbol);
            dialog.setFont(font);
            dialog.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            const std::pair<const char*, int> fields[] = {{"renameSymbol", 14},
                                                          {"renameName", nameLength}};
            for (const auto& [field, length] : fields) {
                auto& edit = *dialog.findChild<QLineEdit*>(QString::fromLatin1(field));
                EXPECT_EQ(edit.maxLength(), length) << field;
                // With the cursor after the whole text, a text wider than the
                // edit has its first characters scrolled out on the left.
                const QString longest(length, u'W');
                edit.setText(longest);
                edit.repaint();
                EXPECT_EQ(edit.cursorPosition(), length);
                EXPECT_EQ(edit.cursorPositionAt({edit.contentsRect().left(), edit.height() / 2}), 0)
                    << symbol << " " << field << " at " << font.pointSizeF() << " points";
            }
        }
}

TEST_F(ExplorerTest, PriceViewShowsTheBarsAndComesBackOnAFolderClick) {
    MakeDataDir(root_ / "data", {{"$EURUSD", "EURO", 0}, {"IBM", "INTL BUSINESS MACH", 12}});
    {
        StoreWriter writer(prompt_, clock_);
        ASSERT_TRUE(Succeeded(writer.Open(root_ / "data")));
        ASSERT_TRUE(Succeeded(writer.OpenPriceFileForWrite("$EURUSD", true)));
        ASSERT_TRUE(
            Succeeded(writer.AppendBar({1050103, 1.5f, 1.25f, -1.125f, 1.0625f, 12345.75f, 0})));
        ASSERT_TRUE(Succeeded(writer.ClosePriceFile()));
        writer.Close();
    }
    Open(root_.Path());
    Click(root_ / "data");
    list_.SetViewMode(CRightListView::SmallIcons);
    const QPoint firstIcon = list_.IconView().visualRect(list_.Model().index(0, 0)).center();
    QTest::mouseClick(list_.IconView().viewport(), Qt::LeftButton, {}, firstIcon);
    QTest::mouseDClick(list_.IconView().viewport(), Qt::LeftButton, {}, firstIcon);
    ASSERT_TRUE(list_.IsPriceView());
    EXPECT_EQ(list_.GetViewMode(), CRightListView::Details);
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Corvane [EURO]"));
    EXPECT_EQ(list_.Model().headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Volume"));
    ASSERT_EQ(list_.Model().rowCount(), 1);
    EXPECT_EQ(Column(0)[0], "01/03/2005");
    EXPECT_EQ(Column(1)[0], "1.50000");
    EXPECT_EQ(Column(3)[0], "1.12500");  // shown without its sign
    EXPECT_EQ(Column(5)[0], "12345");

    list_.SelectAll();  // read-only: nothing to select, copy or delete
    list_.DeleteSelected();
    EXPECT_TRUE(prompt_.shown.empty());

    Click(root_ / "data");
    EXPECT_FALSE(list_.IsPriceView());
    EXPECT_EQ(list_.GetViewMode(), CRightListView::SmallIcons);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"$EURUSD", "IBM"}));
}

TEST_F(ExplorerTest, PricesSortAsTextAndDatesByKeyInThePriceView) {
    MakeDataDir(root_ / "data", {{"IBM", "IBM", 12}});
    Open(root_ / "data");
    ClickRow(0);
    list_.ShowPrices();
    ASSERT_EQ(list_.Model().rowCount(), 12);
    EXPECT_EQ(Column(3)[0], "9.00");
    ClickHeader(3);  // lows 9.00 ... 20.00 sort as text
    EXPECT_EQ(Column(3).front(), "10.00");
    EXPECT_EQ(Column(3).back(), "9.00");
    ClickHeader(0);
    ClickHeader(0);
    EXPECT_EQ(Column(0).front(), "01/14/2005");
}

TEST(VolumeRootsTest, VolumesAreNamedByTheirKind) {
    struct Case {
        const char* mount;
        const char* type;
        std::optional<VolumeRoot> root;
    };
    const Case cases[] = {
        {"/home", "ext4", VolumeRoot{"/home/", "Local Disk (/home)", kHardDiskImage}},
        {"/media/usb", "vfat",
         VolumeRoot{"/media/usb/", "Floppy Drive (/media/usb)", kHardDiskImage}},
        {"/media/cd", "iso9660", VolumeRoot{"/media/cd/", "CD/DVD Drive (/media/cd)", kDiscImage}},
        {"/scratch", "tmpfs", VolumeRoot{"/scratch/", "RAM Disk (/scratch)", kDiscImage}},
        {"/mnt/share", "nfs4",
         VolumeRoot{"/mnt/share/", "Unknown Drive (/mnt/share)", kHardDiskImage}},
        {"/proc", "proc", std::nullopt},
        {"/run/user/1000", "tmpfs", std::nullopt},
        {"/sys/fs/cgroup", "cgroup2", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifyVolume(c.mount, c.type), c.root) << c.mount;
    EXPECT_EQ(RootOf({{"/", "", 4}, {"/home/", "", 4}}, "/home/me/data/"), 1);
    EXPECT_EQ(RootOf({{"/", "", 4}, {"/home/", "", 4}}, "/homework/"), 0);
}

}  // namespace
}  // namespace corvane::test
