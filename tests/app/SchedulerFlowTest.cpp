#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

#include "CMainFrame.h"
#include "CliRun.h"
#include "CliSettings.h"
#include "CurlHttpClient.h"
#include "DataDirBuilder.h"
#include "DialogDriving.h"
#include "DirectoryCheck.h"
#include "DlgAlerts.h"
#include "DlgDownloadHistQuotes.h"
#include "DlgScheduler.h"
#include "DownloadReport.h"
#include "FileFaults.h"
#include "FiredRecord.h"
#include "FixedClock.h"
#include "GatewayProcess.h"
#include "InMemorySettingsStore.h"
#include "ProgressClicks.h"
#include "ProgressWnd.h"
#include "QSettingsStore.h"
#include "QtEventPump.h"
#include "QtTestApplication.h"
#include "RecordingPrompt.h"
#include "ServiceSettings.h"
#include "SettingsSheet.h"
#include "TaskTimers.h"
#include "TempDir.h"
#include "UserPaths.h"
#include "VolumeRoots.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A click through the window system, where a modal dialog keeps the mouse
// from every window but its own.
void UserClick(QWidget& widget, QPoint at) {
    QWidget* window = widget.window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, widget.mapTo(window, at));
}

void UserClick(QAbstractButton& button) {
    UserClick(button, ClickPoint(button));
}

void UserClickRow(QTreeWidget& list, int row) {
    QTreeWidgetItem* item = list.topLevelItem(row);
    ASSERT_NE(item, nullptr);
    list.scrollToItem(item);
    UserClick(*list.viewport(), list.visualItemRect(item).center());
}

QStringList Row(QTreeWidget& list, int row) {
    QTreeWidgetItem* item = list.topLevelItem(row);
    return item ? QStringList{item->text(0), item->text(1), item->text(2)} : QStringList{};
}

// What the settings sheet stores: the settings less those the exit writes.
AppSettings SheetFields(AppSettings settings) {
    settings.lastDirectory.clear();
    settings.lastUpdate.clear();
    settings.conversionOptions = {};
    return settings;
}

// 8 November 2013 is a Friday, 11 November a Monday.
LocalDateTime At(int day, int hour, int minute, int second) {
    return {2013, 11, day, hour, minute, second, day == 8 ? 5 : 1};
}

// A main window over the gateway on loopback and real data directories,
// with its scheduler, its settings sheet and the user's record of firings.
class SchedulerFlowTest : public ::testing::Test {
protected:
    SchedulerFlowTest() {
        std::error_code error;
        fs::remove_all(FiredRecordFolder(UserDataDir()), error);
        fs::remove(DefaultReportPath(), error);
        services_ = AllServicesAt(gateway_.BaseUrl());
    }
    ~SchedulerFlowTest() override {
        frame_.reset();
        SaveSheetSettings(*UserSettings(), AppSettings{});
        std::error_code error;
        fs::current_path(startDirectory_, error);
    }

    CMainFrame& Frame(const fs::path& startup) {
        frame_ = std::make_unique<CMainFrame>(
            doc_, settings_,
            FrameServices{[](const QUrl&) {}, store_, http_, pump_, services_, services_.history,
                          fs::path(CORVANE_SHARE_DIR) / "help", DefaultReportPath(), UserDataDir(),
                          fs::path(CORVANE_SHARE_DIR), [this] { ++signals_; }, [] { return false; },
                          [this] {
                              ++autostartApplied_;
                              return autostartWorks_;
                          },
                          [this](const std::string& path) { played_.push_back(path); }});
        frame_->Create(MountedVolumes(), startup.string() + "/");
        frame_->show();
        return *frame_;
    }
    // Runs `check` on the settings sheet that `command` opens.
    void WithSheet(int command, std::function<void(SettingsSheet&)> check) {
        WithModal<SettingsSheet>([&] { frame_->Command(command)->trigger(); },
                                 [check = std::move(check)](SettingsSheet& sheet) {
                                     ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
                                     check(sheet);
                                 });
    }
    std::vector<std::string> ReportLines() const {
        std::vector<std::string> lines;
        if (const auto report = ReadReport(DefaultReportPath()))
            for (const ReportEntry& entry : report->entries)
                lines.push_back(entry.symbol + "," + std::to_string(entry.result > 0));
        return lines;
    }

    QApplication& application_ = TestApplication();
    fs::path startDirectory_ = fs::current_path();
    TempDir dir_;
    GatewayProcess gateway_{DemoDataDir(), {"--today", "20131108"}};
    RecordingPrompt prompt_;
    FixedClock clock_{At(8, 12, 0, 0)};
    CCorvaneDoc doc_{prompt_, clock_};
    AppSettings settings_;
    InMemorySettingsStore store_;
    CurlHttpClient http_;
    QtEventPump pump_;
    ServiceUrls services_;
    int signals_ = 0;
    int autostartApplied_ = 0;
    bool autostartWorks_ = true;
    std::vector<std::string> played_;
    std::unique_ptr<CMainFrame> frame_;
};

TEST_F(SchedulerFlowTest, ADueTaskFiresOnceWhetherTheAppOrTheCommandLineToolComesFirst) {
    MakeDataDir(dir_ / "ms", {{"MSFT", "MICROSOFT", 3}});
    settings_.tasks[1] = {1, 8, 18, 0, (dir_ / "ms").string(), "Evening"};
    SaveSheetSettings(*UserSettings(), settings_);
    if (LoadSettings(*UserSettings()).tasks != settings_.tasks)
        GTEST_SKIP() << "this build keeps no settings";
    clock_.Set(At(8, 18, 0, 5));

    // The window's first check comes from its event loop, at start-up.
    CMainFrame& frame = Frame(dir_.Path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return signals_ == 1; }));
    EXPECT_EQ(ReportLines(), std::vector<std::string>{"MSFT,1"});
    EXPECT_GT(ReadBars(dir_ / "ms", "MSFT").size(), 400u);
    const auto stored = ReadAllBars(dir_ / "ms");
    clock_.Set(At(8, 18, 0, 50));
    frame.OnTaskTimer();
    const CliRun cli = Cli({"scheduler", "run", "--services", gateway_.BaseUrl()}, clock_);
    EXPECT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(cli.out, "");
    EXPECT_EQ(signals_, 1);
    EXPECT_EQ(ReadAllBars(dir_ / "ms"), stored);

    // Monday the command-line tool, run by cron, comes first.
    clock_.Set(At(11, 18, 0, 1));
    const CliRun monday = Cli({"scheduler", "run", "--services", gateway_.BaseUrl()}, clock_);
    EXPECT_TRUE(monday.out.starts_with("task 1 Evening\n")) << monday.out << monday.err;
    clock_.Set(At(11, 18, 0, 30));
    frame.OnTaskTimer();
    EXPECT_EQ(signals_, 1);
    EXPECT_TRUE(prompt_.shown.empty()) << prompt_.shown.front().text;
    EXPECT_EQ(CheckDirectory(dir_ / "ms"), std::vector<std::string>{});
}

TEST_F(SchedulerFlowTest, ATaskDueWhileADownloadRunsWaitsForItAndFiresOnce) {
    const fs::path a = dir_ / "a", b = dir_ / "b";
    struct Case {
        const char* name;
        LocalDateTime start;
        std::function<void(CMainFrame&)> runOuter;  // the run during which task 1 falls due
    };
    const Case cases[] = {
        {"a scheduled run", At(8, 18, 0, 10), [](CMainFrame& frame) { frame.OnTaskTimer(); }},
        {"the download dialog's run", At(8, 17, 59, 10),
         [](CMainFrame& frame) {
             frame.OnTaskTimer();  // the check of 17:59: nothing due yet
             DlgDownloadHistQuotes dialog(frame.MakeDownloadContext(), " MSFT AAPL", nullptr,
                                          &frame);
             dialog.SetPreset(" MSFT AAPL", 20111108, 20131108);
             dialog.OnGetQuotes();
         }},
    };
    for (const Case& c : cases) {
        fs::remove_all(FiredRecordFolder(UserDataDir()));
        fs::remove_all(a);
        fs::remove_all(b);
        MakeDataDir(a, {{"MSFT", "MICROSOFT", 3}, {"AAPL", "APPLE", 3}});
        MakeDataDir(b, {{"MCD", "MCDONALDS", 3}});
        settings_.tasks[0] = {1, 0, 18, 0, a.string(), "Stocks"};
        settings_.tasks[1] = {1, 0, 18, 1, b.string(), "Food"};
        signals_ = 0;
        clock_.Set(c.start);
        CMainFrame& frame = Frame(a);
        std::deque<std::size_t> heldInside;
        int signalsInside = -1;
        // Delivered by the outer run's first pump, between two securities.
        QTimer::singleShot(0, [&] {
            clock_.Set(At(8, 18, 1, 10));
            frame.OnTaskTimer();
            heldInside = frame.Scheduler().Held();
            signalsInside = signals_;
        });
        c.runOuter(frame);
        EXPECT_EQ(signalsInside, 0) << c.name;
        EXPECT_THAT(heldInside, ::testing::Contains(1u)) << c.name;
        ASSERT_TRUE(QTest::qWaitFor([&] { return signals_ == 2; })) << c.name;
        QTest::qWait(600);
        EXPECT_EQ(signals_, 2) << c.name;
        EXPECT_TRUE(frame.Scheduler().Held().empty());
        // Task 1 ran last and alone: its report, every security stored.
        EXPECT_EQ(ReportLines(), std::vector<std::string>{"MCD,1"}) << c.name;
        for (const auto& [directory, symbol] : {std::pair{a, "MSFT"}, {a, "AAPL"}, {b, "MCD"}})
            EXPECT_GT(ReadBars(directory, symbol).size(), 400u) << c.name << " " << symbol;
        EXPECT_EQ(CheckDirectory(a), std::vector<std::string>{});
        EXPECT_TRUE(prompt_.shown.empty()) << c.name << ": " << prompt_.shown.front().text;
        frame_.reset();
    }
}

TEST_F(SchedulerFlowTest, ALongRunShowsItsProgressWindowAndStopsAtItsCancel) {
    // Every symbol the gateway knows: a list longer than 200 characters.
    std::vector<StoredSecurity> securities;
    std::size_t listLength = 0;
    for (const auto& entry : fs::directory_iterator(DemoDataDir())) {
        const std::string symbol = entry.path().stem().string();
        if (entry.path().extension() != ".csv" || symbol.size() > 14) continue;
        securities.push_back({symbol, symbol, 0});
        listLength += symbol.size() + 1;
    }
    ASSERT_GT(listLength, 201u);
    MakeDataDir(dir_ / "mi", securities);
    settings_.tasks[0] = {1, 0, 18, 0, (dir_ / "mi").string(), "Milan"};
    clock_.Set(At(8, 18, 0, 0));
    CMainFrame& frame = Frame(dir_.Path());
    bool shown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::allWidgets())
            if (auto* window = qobject_cast<ProgressWnd*>(widget); window && window->isVisible())
                shown = shown || window->BaseTitle() == QStringLiteral("Scheduled download");
    });
    watch.start(0);
    CancelProgressByMouseOnceShown();
    frame.OnTaskTimer();
    watch.stop();
    EXPECT_TRUE(shown);
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{"Download is cancelled"});
    const auto report = ReadReport(DefaultReportPath());
    ASSERT_TRUE(report);
    EXPECT_GE(report->entries.size(), 1u);
    EXPECT_LT(report->entries.size(), 10u);
    EXPECT_EQ(signals_, 1);  // the run ended: the signal follows
    EXPECT_TRUE(frame.isEnabled());
    EXPECT_EQ(CheckDirectory(dir_ / "mi"), std::vector<std::string>{});
}

TEST_F(SchedulerFlowTest, ARecordThatCannotBeWrittenIsToldOnceAndTheTaskCaughtUp) {
    MakeDataDir(dir_ / "ms", {{"MSFT", "MICROSOFT", 3}});
    settings_.tasks[2] = {1, 0, 18, 0, (dir_ / "ms").string(), "Evening"};
    clock_.Set(At(8, 17, 59, 0));
    CMainFrame& frame = Frame(dir_.Path());
    frame.OnTaskTimer();
    ArmFileFaults({FilePlan::Kind::DiskFull, 0, 0, "fired.txt.corvane-new"});
    for (int minute : {0, 1}) {
        clock_.Set(At(8, 18, minute, 0));
        frame.OnTaskTimer();
    }
    DisarmFileFaults();
    ASSERT_EQ(prompt_.shown.size(), 1u);
    EXPECT_TRUE(prompt_.shown[0].text.starts_with("Scheduled task \"Evening\" cannot run now: "))
        << prompt_.shown[0].text;
    EXPECT_NE(prompt_.shown[0].text.find("No space left on device"), std::string::npos);
    EXPECT_EQ(signals_, 0);
    clock_.Set(At(8, 18, 2, 0));
    frame.OnTaskTimer();
    EXPECT_EQ(signals_, 1);
    EXPECT_EQ(ReportLines(), std::vector<std::string>{"MSFT,1"});
}

TEST_F(SchedulerFlowTest, ATaskWhoseDirectoryIsGoneSaysSoOnceAndStartsNoRun) {
    settings_.tasks[3] = {1, 0, 18, 0, (dir_ / "gone").string(), "Evening"};
    clock_.Set(At(8, 18, 0, 0));
    CMainFrame& frame = Frame(dir_.Path());
    frame.OnTaskTimer();
    QTest::qWait(50);
    frame.OnTaskTimer();
    const std::string why = "Scheduled task \"Evening\": directory " + (dir_ / "gone").string() +
                            " is missing or is not a MetaStock data directory; nothing was "
                            "downloaded.";
    EXPECT_EQ(prompt_.Texts(), std::vector<std::string>{why});
    const auto report = ReadReport(DefaultReportPath());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->entries, (std::vector<ReportEntry>{{"", 0, why}}));
    EXPECT_EQ(signals_, 0);
    EXPECT_FALSE(fs::exists(dir_ / "gone"));
}

TEST_F(SchedulerFlowTest, TheSchedulerCommandOpensItsPageAndOkStoresAllFourPages) {
    settings_.shutMinimize = 1;
    settings_.checkVersion = 1;
    settings_.checkPeriodicity = 2;
    settings_.startupDirectory = kStartupChosenDirectory;
    settings_.directoryPath = "/data/ms";
    settings_.downloadSound = kSoundBeep;
    settings_.onDelete = 0;
    settings_.tasks[2] = {1, 8, 18, 0, "/data/ms", "Evening"};
    Frame(dir_.Path());
    const AppSettings before = settings_;
    WithSheet(kCmdScheduler, [](SettingsSheet& sheet) {
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Corvane Settings"));
        QStringList tabs;
        for (int i = 0; i < sheet.Tabs().count(); ++i) tabs << sheet.Tabs().tabText(i);
        EXPECT_EQ(tabs,
                  (QStringList{QStringLiteral(" Startup     "), QStringLiteral(" Shutdown "),
                               QStringLiteral(" Scheduler "), QStringLiteral(" Alerts       ")}));
        EXPECT_EQ(sheet.Tabs().currentIndex(), SettingsSheet::kSchedulerPage);
        EXPECT_FALSE(sheet.ApplyButton().isEnabled());
        UserClick(Child<QPushButton>(sheet, "okButton"));
    });
    // Nothing changed, and every page is in the store, shown or not.
    EXPECT_EQ(settings_, before);
    EXPECT_EQ(LoadSettings(store_), SheetFields(settings_));
    EXPECT_EQ(autostartApplied_, 1);
}

TEST_F(SchedulerFlowTest, CancelStoresNothingButWhatWasApplied) {
    Frame(dir_.Path());
    const AppSettings before = settings_;
    const std::function<void(SettingsSheet&)> cancellations[] = {
        [](SettingsSheet& sheet) { UserClick(Child<QPushButton>(sheet, "cancelButton")); },
        [](SettingsSheet& sheet) { QTest::keyClick(&sheet, Qt::Key_Escape); },
    };
    for (const auto& cancel : cancellations) {
        WithSheet(kCmdSettings, [&](SettingsSheet& sheet) {
            EXPECT_EQ(sheet.Tabs().currentIndex(), SettingsSheet::kStartupPage);
            UserClick(Child<QCheckBox>(sheet, "checkVersion"));
            UserClick(Child<QCheckBox>(sheet, "startMinimized"));
            EXPECT_TRUE(sheet.ApplyButton().isEnabled());
            cancel(sheet);
        });
        EXPECT_EQ(settings_, before);
        EXPECT_EQ(store_.ReadInt("Settings", "CheckVersion", -1), -1);
        EXPECT_EQ(autostartApplied_, 0);
    }
    WithSheet(kCmdSettings, [](SettingsSheet& sheet) {
        UserClick(Child<QCheckBox>(sheet, "checkVersion"));
        UserClick(sheet.ApplyButton());
        EXPECT_FALSE(sheet.ApplyButton().isEnabled());
        UserClick(Child<QCheckBox>(sheet, "startMinimized"));
        UserClick(Child<QPushButton>(sheet, "cancelButton"));
    });
    EXPECT_EQ(settings_.checkVersion, 1);
    EXPECT_EQ(store_.ReadInt("Settings", "CheckVersion", -1), 1);
    EXPECT_EQ(settings_.startMinimized, 0);
    EXPECT_EQ(store_.ReadInt("Settings", "StartMinimized", -1), 0);
    // The Alerts page was never shown: Apply left it alone.
    EXPECT_EQ(store_.ReadInt("Settings", "OnDelete", -1), -1);
}

TEST_F(SchedulerFlowTest, TheStartupPageEnablesWhatItsChoicesUse) {
    settings_.checkPeriodicity = 1;
    settings_.directoryPath = "/data/ms";
    Frame(dir_.Path());
    WithSheet(kCmdSettings, [](SettingsSheet& sheet) {
        auto& check = Child<QCheckBox>(sheet, "checkVersion");
        auto& periodicity = Child<QComboBox>(sheet, "checkPeriodicity");
        auto& path = Child<QLineEdit>(sheet, "directoryPath");
        auto& browse = Child<QPushButton>(sheet, "browseStartup");
        EXPECT_FALSE(periodicity.isEnabled());
        EXPECT_EQ(periodicity.currentText(), QStringLiteral("Weekly"));
        EXPECT_FALSE(path.isEnabled());
        EXPECT_FALSE(browse.isEnabled());
        UserClick(check);
        EXPECT_TRUE(periodicity.isEnabled());
        UserClick(check);
        EXPECT_FALSE(periodicity.isEnabled());
        UserClick(Child<QRadioButton>(sheet, "setupDirectory"));
        EXPECT_TRUE(path.isEnabled());
        EXPECT_TRUE(browse.isEnabled());
        UserClick(Child<QRadioButton>(sheet, "rootDirectory"));
        EXPECT_FALSE(path.isEnabled());
        EXPECT_FALSE(browse.isEnabled());
        EXPECT_EQ(path.text(), QStringLiteral("/data/ms"));
        UserClick(Child<QPushButton>(sheet, "okButton"));
    });
    EXPECT_EQ(settings_.checkVersion, 0);
    EXPECT_EQ(settings_.checkPeriodicity, 1);  // kept while the list was off
    EXPECT_EQ(settings_.startupDirectory, kStartupSystemRoot);
    EXPECT_EQ(settings_.directoryPath, "/data/ms");
}

TEST_F(SchedulerFlowTest, NewAcceptAndTheirRefusals) {
    MakeDataDir(dir_ / "ms", {{"IBM", "IBM", 1}});
    Frame(dir_ / "ms");
    clock_.Set(At(8, 21, 7, 0));
    WithSheet(kCmdScheduler, [&](SettingsSheet& sheet) {
        auto& list = Child<QTreeWidget>(sheet, "taskList");
        auto& title = Child<QLineEdit>(sheet, "taskTitle");
        auto& directory = Child<QLineEdit>(sheet, "taskDirectory");
        auto& accept = Child<QPushButton>(sheet, "acceptTask");
        EXPECT_EQ(list.topLevelItemCount(), 0);
        EXPECT_EQ(Child<QComboBox>(sheet, "taskDays").currentText(), QStringLiteral("Daily"));
        UserClick(accept);  // no row selected: nothing
        EXPECT_TRUE(prompt_.shown.empty());

        UserClick(Child<QPushButton>(sheet, "newTask"));
        EXPECT_EQ(Row(list, 0), (QStringList{QStringLiteral("?"), QStringLiteral("Daily"),
                                             QStringLiteral("09:07 PM")}));
        EXPECT_EQ(directory.text(), QString::fromStdString((dir_ / "ms").string()));
        EXPECT_TRUE(title.hasFocus());
        EXPECT_TRUE(sheet.ApplyButton().isEnabled());

        title.clear();
        UserClick(accept);
        directory.setText(QString::fromStdString(dir_.Path().string()));
        title.setText(QStringLiteral("Evening"));
        UserClick(accept);
        EXPECT_TRUE(directory.hasFocus());
        EXPECT_EQ(prompt_.Texts(),
                  (std::vector<std::string>{"Enter task title",
                                            "Selected directory is not a valid Metastock "
                                            "directory"}));
        EXPECT_EQ(prompt_.shown[0].caption, "Corvane");
        EXPECT_EQ(sheet.SchedulerPage().Tasks()[0].title, "?");

        directory.setText(QString::fromStdString((dir_ / "ms").string()));
        Child<QComboBox>(sheet, "taskDays").setCurrentIndex(8);
        Child<QTimeEdit>(sheet, "taskTime").setTime(QTime(18, 0));
        UserClick(accept);
        EXPECT_EQ(Row(list, 0), (QStringList{QStringLiteral("Evening"), QStringLiteral("Mon-Fri"),
                                             QStringLiteral("06:00 PM")}));
        UserClick(Child<QPushButton>(sheet, "okButton"));
    });
    EXPECT_EQ(settings_.tasks[0], (ScheduleTask{1, 8, 18, 0, (dir_ / "ms").string(), "Evening"}));
    EXPECT_EQ(LoadSettings(store_).tasks[0], settings_.tasks[0]);
    EXPECT_TRUE(frame_->Scheduler().Armed(0));
}

TEST_F(SchedulerFlowTest, EachBrowseTakesWhatItsChooserPicks) {
    // The task's folder is gone: its chooser opens at the nearest one there.
    fs::create_directories(dir_ / "deep");
    settings_.tasks[0] = {1, 0, 18, 0, (dir_ / "deep" / "gone").string(), "Evening"};
    settings_.downloadSound = kSoundFile;
    Frame(dir_.Path());
    // Browse on the Scheduler page does not test for a data directory.
    fs::create_directories(dir_ / "plain");
    std::ofstream(dir_ / "bell.wav") << "RIFF";
    struct Case {
        int page;
        const char* radio;  // to click first, or empty
        const char* button;
        const char* title;
        fs::path opensIn;
        fs::path chosen;
        const char* edit;
        QString shown;
    };
    const QString plain = QString::fromStdString((dir_ / "plain").string());
    const Case cases[] = {
        {SettingsSheet::kSchedulerPage, "", "browseTask", "Select MetaStock directory",
         dir_ / "deep", dir_ / "plain", "taskDirectory", plain},
        {SettingsSheet::kStartupPage, "setupDirectory", "browseStartup", "Select startup directory",
         dir_.Path(), dir_ / "plain", "directoryPath", plain},
        {SettingsSheet::kAlertsPage, "", "browseSound", "Select sound file",
         fs::path(CORVANE_SHARE_DIR) / "Media", dir_ / "bell.wav", "soundFile",
         QStringLiteral("bell.wav")},
    };
    for (const Case& c : cases) {
        WithSheet(kCmdSettings, [&](SettingsSheet& sheet) {
            sheet.Tabs().setCurrentIndex(c.page);
            if (*c.radio) UserClick(Child<QRadioButton>(sheet, c.radio));
            bool asked = false;
            WhenModal<QFileDialog>([&](QFileDialog& chooser) {
                asked = true;
                ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
                EXPECT_EQ(chooser.windowTitle(), QString::fromLatin1(c.title));
                EXPECT_EQ(fs::path(chooser.directory().absolutePath().toStdString()), c.opensIn);
                // Nothing offered yet: a missing folder's name would be refused.
                auto* name = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(name, nullptr);
                EXPECT_EQ(name->text(), QString()) << c.title;
                // The pick is clicked in the chooser's list, then its accept button.
                chooser.setDirectory(QString::fromStdString(dir_.Path().string()));
                // Its list or its detail view, whichever it shows.
                QAbstractItemView* list = nullptr;
                for (auto* view : chooser.findChildren<QAbstractItemView*>())
                    if (view->isVisible() && (view->objectName() == QStringLiteral("listView") ||
                                              view->objectName() == QStringLiteral("treeView")))
                        list = view;
                ASSERT_NE(list, nullptr);
                const QString pick = QString::fromStdString(c.chosen.filename().string());
                QModelIndex item;
                ASSERT_TRUE(QTest::qWaitFor([&] {
                    const QModelIndex root = list->rootIndex();
                    for (int row = 0; row < list->model()->rowCount(root); ++row)
                        if (list->model()->index(row, 0, root).data().toString() == pick)
                            item = list->model()->index(row, 0, root);
                    return item.isValid();
                }));
                UserClick(*list->viewport(), list->visualRect(item).center());
                EXPECT_EQ(chooser.selectedFiles(),
                          QStringList{QString::fromStdString(c.chosen.string())});
                auto* box = chooser.findChild<QDialogButtonBox*>();
                ASSERT_NE(box, nullptr);
                for (QAbstractButton* button : box->buttons())
                    if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) UserClick(*button);
            });
            UserClick(Child<QPushButton>(sheet, c.button));
            EXPECT_TRUE(asked) << c.title;
            EXPECT_EQ(Child<QLineEdit>(sheet, c.edit).text(), c.shown);
            EXPECT_TRUE(sheet.ApplyButton().isEnabled());
            UserClick(Child<QPushButton>(sheet, "okButton"));
        });
    }
    EXPECT_EQ(settings_.tasks[0].path, (dir_ / "plain").string());
    EXPECT_EQ(settings_.directoryPath, (dir_ / "plain").string());
    EXPECT_EQ(settings_.soundPath, (dir_ / "bell.wav").string());
    EXPECT_TRUE(prompt_.shown.empty());
}

TEST_F(SchedulerFlowTest, NewOnAFullTableSaysSoAndChangesNothing) {
    for (std::size_t slot = 0; slot < kTaskSlots; ++slot)
        settings_.tasks[slot] = {1, 0, 6, static_cast<int>(slot), "/d", "T" + std::to_string(slot)};
    settings_.tasks[4].title = settings_.tasks[6].title = "Twin";
    Frame(dir_.Path());
    const AppSettings before = settings_;
    WithSheet(kCmdScheduler, [&](SettingsSheet& sheet) {
        auto& list = Child<QTreeWidget>(sheet, "taskList");
        // The last slot in use is the one shown.
        EXPECT_EQ(list.currentItem(), list.topLevelItem(9));
        EXPECT_EQ(Child<QLineEdit>(sheet, "taskTitle").text(), QStringLiteral("T9"));
        UserClick(Child<QPushButton>(sheet, "newTask"));
        ASSERT_EQ(prompt_.shown.size(), 1u);
        EXPECT_EQ(prompt_.shown[0].text, "Maximum number of tasks is reached.");
        EXPECT_EQ(prompt_.shown[0].icon, PromptIcon::Error);
        EXPECT_EQ(list.topLevelItemCount(), 10);
        EXPECT_FALSE(sheet.ApplyButton().isEnabled());
        // Two rows of one title each show their own task.
        UserClickRow(list, 6);
        EXPECT_EQ(sheet.SchedulerPage().CurrentSlot(), 6u);
        EXPECT_EQ(Child<QTimeEdit>(sheet, "taskTime").time(), QTime(6, 6));
        UserClickRow(list, 4);
        EXPECT_EQ(sheet.SchedulerPage().CurrentSlot(), 4u);
        UserClick(Child<QPushButton>(sheet, "cancelButton"));
    });
    EXPECT_EQ(settings_, before);
}

TEST_F(SchedulerFlowTest, DeleteDisarmsAtOnceThoughTheSheetIsCancelled) {
    MakeDataDir(dir_ / "ms", {{"MSFT", "MICROSOFT", 3}});
    settings_.tasks[5] = {1, 0, 18, 0, (dir_ / "ms").string(), "Evening"};
    clock_.Set(At(8, 17, 0, 0));
    CMainFrame& frame = Frame(dir_.Path());
    ASSERT_TRUE(frame.Scheduler().Armed(5));
    WithSheet(kCmdScheduler, [](SettingsSheet& sheet) {
        auto& list = Child<QTreeWidget>(sheet, "taskList");
        UserClickRow(list, 0);
        UserClick(Child<QPushButton>(sheet, "deleteTask"));
        EXPECT_EQ(list.topLevelItemCount(), 0);
        EXPECT_TRUE(Child<QLineEdit>(sheet, "taskTitle").text().isEmpty());
        EXPECT_FALSE(Child<QCheckBox>(sheet, "taskEnabled").isChecked());
        QTest::keyClick(&sheet, Qt::Key_Escape);
    });
    EXPECT_EQ(settings_.tasks[5].title, "Evening");
    EXPECT_EQ(store_.ReadString("Scheduler5", "Title", "-"), "-");
    EXPECT_FALSE(frame.Scheduler().Armed(5));
    clock_.Set(At(8, 18, 0, 0));
    frame.OnTaskTimer();
    EXPECT_EQ(signals_, 0);
    EXPECT_FALSE(fs::exists(DefaultReportPath()));
    // The sheet accepted arms it again.
    WithSheet(kCmdScheduler,
              [](SettingsSheet& sheet) { UserClick(Child<QPushButton>(sheet, "okButton")); });
    EXPECT_TRUE(frame.Scheduler().Armed(5));
}

TEST_F(SchedulerFlowTest, PlaySoundWithoutAFileTakesTheShippedOne) {
    Frame(dir_.Path());
    const std::string shipped = (fs::path(CORVANE_SHARE_DIR) / "Media" / "complete.wav").string();
    ASSERT_TRUE(fs::is_regular_file(shipped));
    WithSheet(kCmdSettings, [](SettingsSheet& sheet) {
        sheet.Tabs().setCurrentIndex(SettingsSheet::kAlertsPage);
        auto& test = Child<QPushButton>(sheet, "testSound");
        EXPECT_FALSE(test.isEnabled());
        UserClick(Child<QRadioButton>(sheet, "playSound"));
        EXPECT_TRUE(test.isEnabled());
        EXPECT_EQ(Child<QLineEdit>(sheet, "soundFile").text(), QStringLiteral("complete.wav"));
        UserClick(test);
        UserClick(Child<QPushButton>(sheet, "okButton"));
    });
    EXPECT_EQ(played_, std::vector<std::string>{shipped});
    EXPECT_EQ(settings_.downloadSound, kSoundFile);
    // A sound path emptied elsewhere shows the shipped file again.
    settings_.soundPath.clear();
    WithSheet(kCmdSettings, [](SettingsSheet& sheet) {
        EXPECT_EQ(Child<QLineEdit>(sheet, "soundFile").text(), QStringLiteral("complete.wav"));
        EXPECT_EQ(sheet.findChild<DlgAlerts*>()->SoundPath(),
                  (fs::path(CORVANE_SHARE_DIR) / "Media" / "complete.wav").string());
        QTest::keyClick(&sheet, Qt::Key_Escape);
    });
}

TEST_F(SchedulerFlowTest, SettingsThatCannotBeWrittenAreToldOf) {
    fs::create_directories(dir_ / "Corvane.conf");  // a folder where the file should be
    QSettingsStore unwritable(QString::fromStdString((dir_ / "Corvane.conf").string()));
    autostartWorks_ = false;
    frame_ = std::make_unique<CMainFrame>(
        doc_, settings_,
        FrameServices{[](const QUrl&) {}, unwritable, http_, pump_, services_, services_.history,
                      fs::path(CORVANE_SHARE_DIR) / "help", DefaultReportPath(), UserDataDir(),
                      fs::path(CORVANE_SHARE_DIR), [] {}, [] { return false; },
                      [this] { return autostartWorks_; }, [](const std::string&) {}});
    frame_->Create(MountedVolumes(), dir_.Path().string() + "/");
    frame_->show();
    WithSheet(kCmdSettings, [](SettingsSheet& sheet) {
        UserClick(Child<QCheckBox>(sheet, "startWithWindows"));
        UserClick(Child<QPushButton>(sheet, "okButton"));
    });
    EXPECT_EQ(prompt_.Texts(),
              (std::vector<std::string>{
                  "Corvane could not be set to start at log-on: its autostart entry cannot be "
                  "written.",
                  "The settings could not be saved: the settings file cannot be written. They "
                  "apply until Corvane ends."}));
    EXPECT_EQ(settings_.startWithWindows, 1);
}

}  // namespace
}  // namespace corvane::test
