#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QHostInfo>
#include <QLockFile>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QWindow>

#include <filesystem>
#include <fstream>

#include "CorvaneApp.h"
#include "CurlHttpClient.h"
#include "DataDirBuilder.h"
#include "FiredRecord.h"
#include "FixedClock.h"
#include "QSettingsStore.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "RecordingSound.h"
#include "TempDir.h"
#include "UserPaths.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// The application object over a real settings file, with its main window
// on the offscreen platform; the browser and the sound card are recorded.
class MainWindowTest : public ::testing::Test {
protected:
    ~MainWindowTest() override {
        app_.reset();
        std::error_code error;
        fs::current_path(startDirectory_, error);
    }

    CorvaneApp& Start() {
        app_ = std::make_unique<CorvaneApp>(AppEnvironment{
            *store_, prompt_, clock_, sound_, http_,
            [this](const QUrl& url) { opened_.push_back(url); }, dir_ / "run" / "corvane.lock"});
        EXPECT_TRUE(app_->RunStartup());
        return *app_;
    }
    // Starts in a data directory holding the given securities.
    CMainFrame& StartIn(const std::vector<StoredSecurity>& securities) {
        MakeDataDir(data_, securities);
        store_->WriteInt("Settings", "StartupDirectory", kStartupChosenDirectory);
        store_->WriteString("Settings", "DirectoryPath", data_.string());
        Start();
        EXPECT_NE(app_->MainFrame(), nullptr);
        return *app_->MainFrame();
    }
    void SelectRows(std::initializer_list<int> rows) {
        CRightListView& list = app_->MainFrame()->List();
        for (int row : rows)
            list.DetailsView().selectionModel()->select(
                list.Model().index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    bool Enabled(int command) const { return app_->MainFrame()->Command(command)->isEnabled(); }
    void Trigger(int command) { app_->MainFrame()->Command(command)->trigger(); }

    QApplication& application_ = TestApplication();
    fs::path startDirectory_ = fs::current_path();
    TempDir dir_;
    fs::path data_ = dir_ / "quotes";
    QString settingsFile_ = QString::fromStdString((dir_ / "Corvane.conf").string());
    std::unique_ptr<QSettingsStore> store_ = std::make_unique<QSettingsStore>(settingsFile_);
    RecordingPrompt prompt_;
    FixedClock clock_;
    RecordingSound sound_;
    CurlHttpClient http_;
    std::vector<QUrl> opened_;
    std::unique_ptr<CorvaneApp> app_;
};

TEST_F(MainWindowTest, FirstRunHasTheDefaultsAndOpensTheRootOfTheSystem) {
    CorvaneApp& app = Start();
    ASSERT_NE(app.MainFrame(), nullptr);
    const AppSettings& s = app.Settings();
    EXPECT_EQ(s.onShutdown, 1);
    EXPECT_EQ(s.onDelete, 1);
    EXPECT_EQ(s.onOverwrite, 1);
    EXPECT_EQ(s.shutMinimize + s.afterDownload + s.checkVersion + s.startMinimized +
                  s.startWithWindows + s.startupDirectory + s.downloadSound,
              0);
    EXPECT_TRUE(s.lastDirectory.empty() && s.directoryPath.empty() && s.soundPath.empty());
    EXPECT_EQ(app.ResolveStartupDirectory(), "/");
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("Corvane"));
    EXPECT_EQ(app.MainFrame()->Tree().topLevelItem(0)->text(0), QStringLiteral("Local Disk (/)"));
    EXPECT_EQ(fs::current_path(), fs::path("/"));
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(MainWindowTest, ASecondCopyIsRefusedAndALockLeftByACrashIsNot) {
    fs::create_directories(dir_ / "run");
    {
        QLockFile first(QString::fromStdString((dir_ / "run" / "corvane.lock").string()));
        first.setStaleLockTime(0);
        ASSERT_TRUE(first.tryLock(0));
        Start();
        EXPECT_EQ(app_->MainFrame(), nullptr);
        ASSERT_EQ(prompt_.shown.size(), 1u);
        EXPECT_EQ(prompt_.shown[0].text, "Previous Corvane instance's detected.");
        EXPECT_EQ(prompt_.shown[0].caption, "Corvane Critical Error");
        EXPECT_EQ(prompt_.shown[0].icon, PromptIcon::Error);
        EXPECT_EQ(app_->RunExit(), 0);
    }
    // A copy that crashed left its lock behind, naming a process that is gone.
    std::ofstream(dir_ / "run" / "corvane.lock")
        << "2147483646\n"
        << QCoreApplication::applicationName().toStdString() << "\n"
        << QHostInfo::localHostName().toStdString() << "\n";
    prompt_.shown.clear();
    Start();
    EXPECT_NE(app_->MainFrame(), nullptr);
    EXPECT_TRUE(prompt_.shown.empty());
}

// A message box waits for the user in an event loop of its own.
class WaitingPrompt : public RecordingPrompt {
public:
    PromptAnswer Show(const std::string& text, const std::string& caption, PromptIcon icon,
                      PromptButtons buttons) override {
        const PromptAnswer answer = RecordingPrompt::Show(text, caption, icon, buttons);
        QTest::qWait(300);
        return answer;
    }
};

TEST_F(MainWindowTest, ACopyRefusedAtStartUpClaimsNoScheduledTask) {
    MakeDataDir(data_, {{"IBM", "INTL BUSINESS MACH", 3}});
    const AppSettings noon = [&] {
        AppSettings settings;
        settings.tasks[0] = {1, 0, 12, 0, data_.string(), "Noon"};  // the clock's minute
        return settings;
    }();
    SaveSheetSettings(*store_, noon);
    for (const char* key : {"HistoryUrl", "QuoteUrl", "ForexUrl"})
        store_->WriteString("Services", key, "http://127.0.0.1:9");  // nothing answers
    const fs::path records = FiredRecordFolder(UserDataDir());
    fs::remove_all(records);
    fs::create_directories(dir_ / "run");
    {
        QLockFile first(QString::fromStdString((dir_ / "run" / "corvane.lock").string()));
        ASSERT_TRUE(first.tryLock(0));
        WaitingPrompt prompt;
        CorvaneApp refused(AppEnvironment{*store_, prompt, clock_, sound_, http_,
                                          [](const QUrl&) {}, dir_ / "run" / "corvane.lock"});
        EXPECT_TRUE(refused.RunStartup());
        EXPECT_EQ(refused.MainFrame(), nullptr);
        EXPECT_EQ(prompt.Texts(),
                  std::vector<std::string>{"Previous Corvane instance's detected."});
        EXPECT_EQ(refused.RunExit(), 0);
    }
    const std::optional<FiredRecord> record = ReadFiredRecord(records);
    ASSERT_TRUE(record);
    EXPECT_FALSE(record->checked.has_value());
    EXPECT_FALSE(record->fired[0].has_value());
    // The copy that starts claims the task as its window shows.
    Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ReadFiredRecord(records)->fired[0].has_value(); }));
}

TEST_F(MainWindowTest, ExitAsksAndTheExitSavesTheExitSettings) {
    CMainFrame& frame = StartIn({{"IBM", "INTL BUSINESS MACH", 3}});
    QSignalSpy ended(&frame, &CMainFrame::Ended);
    app_->Settings().lastDirectory = data_.string() + "/";
    app_->Settings().conversionOptions.extension = "csv";
    app_->Settings().onDelete = 0;  // a sheet setting: not written at exit

    prompt_.answers = {PromptAnswer::No};
    Trigger(kCmdExit);
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Are you sure you want to exit Corvane?"});
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(ended.count(), 0);

    Trigger(kCmdExit);  // answered Yes
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(app_->RunExit(), 0);
    QSettingsStore reread(settingsFile_);
    EXPECT_EQ(reread.ReadString("CurrentOption", "LastDirectory", ""), data_.string() + "/");
    EXPECT_EQ(reread.ReadString("CurrentOption", "Extension", ""), "csv");
    EXPECT_EQ(reread.ReadInt("Settings", "OnDelete", -1), -1);
}

TEST_F(MainWindowTest, ClosingWithShutMinimizeKeepsTheSystemRunning) {
    store_->WriteInt("Settings", "ShutMinimize", 1);
    CMainFrame& frame = StartIn({});
    QSignalSpy ended(&frame, &CMainFrame::Ended);
    frame.close();
    EXPECT_TRUE(prompt_.shown.empty());
    EXPECT_TRUE(frame.IsInTray());
    EXPECT_EQ(ended.count(), 0);
    Trigger(kCmdRestore);
    EXPECT_FALSE(frame.IsInTray());
    EXPECT_TRUE(frame.isVisible());

    QAction* trayExit = frame.TrayMenu().actions().back();
    EXPECT_EQ(trayExit->text(), QStringLiteral("E&xit"));
    trayExit->trigger();
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Are you sure you want to exit Corvane?"});
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(MainWindowTest, CommandsFollowTheListsState) {
    CMainFrame& frame = StartIn({{"IBM", "IBM CORP", 3}, {"MSFT", "MICROSOFT", 2}});
    const int selectionCommands[] = {
        kCmdOpen,     kCmdProperties, kCmdRename,       kCmdDelete,  kCmdCopy,          kCmdCut,
        kCmdDownload, kCmdCharts,     kCmdFundamentals, kCmdConvert, kCmdMarketBreadth, kCmdIndex};
    const int rowCommands[] = {kCmdSelectAll, kCmdLargeIcons, kCmdSmallIcons, kCmdList,
                               kCmdReports};
    const int alwaysCommands[] = {kCmdExit,      kCmdToolbar,  kCmdStatusBar,     kCmdContents,
                                  kCmdAbout,     kCmdReport,   kCmdNewSecurity,   kCmdUpdateSymbols,
                                  kCmdScheduler, kCmdSettings, kCmdBatchDownload, kCmdCheckUpdates};

    for (int id : selectionCommands) EXPECT_FALSE(Enabled(id)) << id;
    for (int id : rowCommands) EXPECT_TRUE(Enabled(id)) << id;
    SelectRows({0});
    for (int id : selectionCommands) EXPECT_TRUE(Enabled(id)) << id;
    for (int id : alwaysCommands) EXPECT_TRUE(Enabled(id)) << id;

    QGuiApplication::clipboard()->clear();
    frame.UpdateCommandStates();
    EXPECT_FALSE(Enabled(kCmdPaste));
    Trigger(kCmdCopy);
    EXPECT_TRUE(Enabled(kCmdPaste));

    Trigger(kCmdOpen);
    ASSERT_TRUE(frame.List().IsPriceView());
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Corvane [IBM CORP]"));
    SelectRows({0});
    for (int id : selectionCommands) EXPECT_FALSE(Enabled(id)) << id;
    for (int id : rowCommands) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_FALSE(Enabled(kCmdPaste));
    for (int id : alwaysCommands) EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(MainWindowTest, ToolbarAndPromptsFollowTheCommandTable) {
    CMainFrame& frame = StartIn({});
    QStringList buttons;
    for (QAction* action : frame.ToolBar().actions())
        buttons << (action->isSeparator() ? QStringLiteral("|") : action->text());
    // The first item is the New button with its drop-down, a widget of its own.
    EXPECT_EQ(
        buttons.mid(1),
        (QStringList{QStringLiteral("&Open"), QStringLiteral("&Properties"), QStringLiteral("|"),
                     QStringLiteral("&Rename"), QStringLiteral("&Delete"), QStringLiteral("|"),
                     QStringLiteral("Last Collection &Report"), QStringLiteral("&Download "),
                     QStringLiteral("|"), QStringLiteral("&Settings")}));
    EXPECT_EQ(frame.Command(kCmdOpen)->statusTip(),
              QStringLiteral("Display data for selected security"));
    EXPECT_EQ(frame.Command(kCmdOpen)->toolTip(), QStringLiteral("Open"));
    EXPECT_EQ(frame.Command(kCmdPaste)->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_V),
                                   QKeySequence(Qt::SHIFT | Qt::Key_Insert)}));
}

TEST_F(MainWindowTest, ViewModesSwitchTheListAndCarryTheRadioMark) {
    CMainFrame& frame = StartIn({{"IBM", "IBM", 1}});
    EXPECT_EQ(frame.List().GetViewMode(), CRightListView::Details);
    EXPECT_TRUE(frame.Command(kCmdReports)->isChecked());
    Trigger(kCmdLargeIcons);
    EXPECT_EQ(frame.List().GetViewMode(), CRightListView::LargeIcons);
    EXPECT_TRUE(frame.Command(kCmdLargeIcons)->isChecked());
    EXPECT_FALSE(frame.Command(kCmdReports)->isChecked());
    Trigger(kCmdList);
    EXPECT_EQ(frame.List().GetViewMode(), CRightListView::List);
}

TEST_F(MainWindowTest, WebDataOpensThePagesOfTheFirstSelectedSymbol) {
    store_->WriteString("Services", "QuoteUrl", "http://quotes.example:8080/");
    StartIn({{"IBM", "INTL BUSINESS MACH", 1}, {"M&T", "M AND T BANK", 1}});
    SelectRows({0, 1});
    Trigger(kCmdCharts);
    Trigger(kCmdFundamentals);
    app_->MainFrame()->List().DetailsView().selectionModel()->clearSelection();
    SelectRows({1});
    Trigger(kCmdFundamentals);
    ASSERT_EQ(opened_.size(), 3u);
    EXPECT_EQ(opened_[0].toString(),
              QStringLiteral("http://quotes.example:8080/q/"
                             "ta?s=IBM&t=6m&l=on&z=m&q=b&p=e20,m50,m200&a=m26-12-9,ss&c="));
    EXPECT_EQ(opened_[1].toString(), QStringLiteral("http://quotes.example:8080/q/ks?s=IBM"));
    // A symbol cannot add fields of its own to the query.
    EXPECT_EQ(opened_[2].query(QUrl::FullyEncoded), QStringLiteral("s=M%26T"));
}

TEST_F(MainWindowTest, ShortcutsAndTheContextMenuReachTheCommands) {
    CMainFrame& frame = StartIn({{"IBM", "INTL BUSINESS MACH", 1}});
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    SelectRows({0});
    frame.List().DetailsView().setFocus();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&frame.List().DetailsView(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("0,")));

    std::unique_ptr<QMenu> menu(frame.BuildListContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("&Open"), QStringLiteral("&Properties"),
                                  QStringLiteral("&Rename"), QStringLiteral("Dele&te"),
                                  QStringLiteral("Cop&y"), QStringLiteral("C&ut"),
                                  QStringLiteral("&Download"), QStringLiteral("&Convert to ASCII"),
                                  QStringLiteral("&Market Breadth"), QStringLiteral("Web Data"),
                                  QStringLiteral("Sch&eduler"), QStringLiteral("&Settings")}));
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    EXPECT_TRUE(menu->actions()[7]->isEnabled());  // Convert to ASCII
    EXPECT_TRUE(menu->actions()[8]->isEnabled());  // Market Breadth
    menu->actions()[0]->trigger();
    EXPECT_TRUE(frame.List().IsPriceView());
}

TEST_F(MainWindowTest, ADamagedDirectoryIsNamedAndRepairedFromTheToolsMenu) {
    MakeDataDir(data_, {{"IBM", "INTL BUSINESS MACH", 3}, {"MSFT", "MICROSOFT", 2}});
    std::fstream emaster(data_ / "EMASTER", std::ios::in | std::ios::out | std::ios::binary);
    emaster.put(9);  // the header claims nine securities
    emaster.close();
    store_->WriteInt("Settings", "StartupDirectory", kStartupChosenDirectory);
    store_->WriteString("Settings", "DirectoryPath", data_.string());
    CMainFrame& frame = *Start().MainFrame();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    EXPECT_TRUE(frame.DamageNote().contains(
        QStringLiteral("EMASTER: its header counts 9 records, the file holds 2")))
        << frame.DamageNote().toStdString();
    EXPECT_EQ(frame.List().Model().rowCount(), 2);  // shows what it can

    // The Tools menu opened with the mouse, its command clicked.
    QMenuBar* bar = frame.menuBar();
    QAction* tools = nullptr;
    for (QAction* action : bar->actions())
        if (action->text() == QStringLiteral("&Tools")) tools = action;
    ASSERT_NE(tools, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(tools).center());
    QMenu* menu = tools->menu();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* repair = frame.Command(kCmdCheckRepair);
    ASSERT_TRUE(repair->isEnabled());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(repair).center());

    ASSERT_FALSE(prompt_.shown.empty());
    EXPECT_TRUE(prompt_.shown.back().text.starts_with("Repaired in " + data_.string() + ":\n- "))
        << prompt_.shown.back().text;
    EXPECT_NE(prompt_.shown.back().text.find("EMASTER: record count set to 2"), std::string::npos);
    EXPECT_TRUE(frame.DamageNote().isEmpty());
    EXPECT_EQ(frame.List().Model().rowCount(), 2);
}

TEST_F(MainWindowTest, ACommandsDialogOpensOverAnEmptyStatusBar) {
    // The prompt a command shows while pointed at describes the command, not
    // the dialog it opens: it goes when the dialog comes, whichever way the
    // command was reached.
    CMainFrame& frame = StartIn({{"IBM", "INTL BUSINESS MACH", 3}});
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    SelectRows({0});
    frame.UpdateCommandStates();
    QAction* properties = frame.Command(kCmdProperties);
    ASSERT_FALSE(properties->statusTip().isEmpty());
    QWindow* window = frame.windowHandle();
    QMenu* file = frame.menuBar()->actions().front()->menu();
    ASSERT_EQ(file->title(), QStringLiteral("&File"));
    QWidget* button = frame.ToolBar().widgetForAction(properties);
    const QPoint onButton = button->mapTo(&frame, button->rect().center());
    const QPoint onItem = file->actionGeometry(properties).center();
    const QPoint onFile = frame.menuBar()->mapTo(
        &frame, frame.menuBar()->actionGeometry(file->menuAction()).center());

    struct Way {
        const char* name;
        std::function<void()> point;  // shows the command's prompt
        std::function<void()> choose;
    };
    const Way ways[] = {
        {"toolbar button", [&] { QTest::mouseMove(window, onButton); },
         [&] { QTest::mouseClick(window, Qt::LeftButton, {}, onButton); }},
        {"menu and mouse",
         [&] {
             QTest::mouseClick(window, Qt::LeftButton, {}, onFile);
             ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }));
             QTest::mouseMove(file->windowHandle(), onItem);
         },
         [&] { QTest::mouseClick(file->windowHandle(), Qt::LeftButton, {}, onItem); }},
        {"menu and keys",
         [&] {
             QTest::keyClick(window, Qt::Key_F, Qt::AltModifier);
             ASSERT_TRUE(QTest::qWaitFor([&] { return file->isVisible(); }));
             while (file->activeAction() != properties)
                 QTest::keyClick(file->windowHandle(), Qt::Key_Down);
         },
         [&] { QTest::keyClick(file->windowHandle(), Qt::Key_Return); }},
        // A menu of the desktop (a global menu bar, the tray's) sends the
        // prompt and the trigger, and never hides a menu of the window.
        {"desktop menu", [&] { properties->showStatusText(&frame); },
         [&] { properties->trigger(); }},
    };
    for (const Way& way : ways) {
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        way.point();
        EXPECT_EQ(frame.statusBar()->currentMessage(), properties->statusTip()) << way.name;
        QString shownWithDialog = QStringLiteral("(no dialog)");
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog) return;
            check.stop();
            shownWithDialog = frame.statusBar()->currentMessage();
            dialog->close();
        });
        check.start(20);
        way.choose();
        EXPECT_EQ(shownWithDialog, QString()) << way.name;
    }
}

TEST_F(MainWindowTest, HelpOpensTheShippedIndexPage) {
    StartIn({});
    Trigger(kCmdContents);
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_TRUE(opened_[0].isLocalFile());
    EXPECT_TRUE(fs::exists(opened_[0].toLocalFile().toStdString()));
}

TEST_F(MainWindowTest, TheDownloadSignalFollowsTheSoundSetting) {
    const std::pair<int, std::vector<std::string>> cases[] = {{0, {}},
                                                              {kSoundNone, {}},
                                                              {kSoundBeep, {"beep 1000 500"}},
                                                              {kSoundFile, {"file /s/done.wav"}}};
    CorvaneApp& app = Start();
    app.Settings().soundPath = "/s/done.wav";
    for (const auto& [code, expected] : cases) {
        sound_.played.clear();
        app.Settings().downloadSound = code;
        app.PlayDownloadSignal();
        EXPECT_EQ(sound_.played, expected) << code;
    }
}

TEST_F(MainWindowTest, FinishAfterDownloadEndsTheSystemASecondLater) {
    CMainFrame& frame = StartIn({});
    EXPECT_FALSE(app_->FinishAfterDownload());
    app_->Settings().afterDownload = 1;
    QSignalSpy ended(&frame, &CMainFrame::Ended);
    EXPECT_TRUE(app_->FinishAfterDownload());
    QTest::qWait(500);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_TRUE(ended.wait(2000));
    EXPECT_TRUE(prompt_.shown.empty());  // no exit question
    app_->Settings().lastDirectory = "/after/";
    EXPECT_EQ(app_->RunExit(), 0);
    EXPECT_EQ(QSettingsStore(settingsFile_).ReadString("CurrentOption", "LastDirectory", ""),
              "/after/");
}

}  // namespace
}  // namespace corvane::test
