#pragma once

#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "AnalyticsContext.h"
#include "AppSettings.h"
#include "BatchTable.h"
#include "CCorvaneDoc.h"
#include "CDownloader.h"
#include "CLeftTreeView.h"
#include "CRightListView.h"
#include "Commands.h"
#include "CountingPrompt.h"
#include "CountingPump.h"
#include "DlgDownloadHistQuotes.h"
#include "HttpClient.h"
#include "Progress.h"
#include "SettingsStore.h"

class QAction;
class QActionGroup;
class QMenu;
class QSystemTrayIcon;
class QToolBar;

class QLabel;

namespace corvane {

// What the main window reaches outside itself.
struct FrameServices {
    std::function<void(const QUrl&)> openUrl;  // the default browser or viewer
    SettingsStore& store;                      // for the progress window's position
    HttpClient& http;
    EventPump& pump;
    ServiceUrls services;                     // quote pages and downloads
    std::string makerUrl;                     // the maker's web site and symbol database
    std::filesystem::path helpDirectory;      // index.htm and the dialogs' topics
    std::filesystem::path reportPath;         // report.txt
    std::filesystem::path userDataDirectory;  // updated database, customized lists
    std::filesystem::path shippedDirectory;   // the shipped database
    std::function<void()> playDownloadSignal;
    std::function<bool()> finishAfterDownload;                   // true when the system is ending
    std::function<bool()> applyStartWithWindows;                 // the autostart entry
    std::function<void(const std::string& path)> playSoundFile;  // the Alerts page's Test
};

class TaskTimers;

// The single top-level window: menus, toolbar, status bar, the directory
// tree beside the security list, and the tray icon. Every command passes
// through here.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    CMainFrame(CCorvaneDoc& doc, AppSettings& settings, FrameServices services,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Fills the tree and opens the start-up directory.
    void Create(const std::vector<VolumeRoot>& roots, const std::string& startupDirectory);
    QAction* Command(int id) const;
    void UpdateCommandStates();
    // Ends the system without asking: the exit, the finish-after-download
    // rule and the single-instance rule come here.
    void EndSession();
    bool IsInTray() const { return inTray_; }
    CLeftTreeView& Tree() const { return *tree_; }
    CRightListView& List() const { return *list_; }
    QToolBar& ToolBar() const { return *toolBar_; }
    QMenu& TrayMenu() const { return *trayMenu_; }
    QMenu* BuildListContextMenu();

    void OnExit();
    void OnRestore();
    void OnWebPage(int command);
    void OnNewSecurity();
    void OnNewFolder();
    void OnProperties();
    void OnRename();
    void OnDownload();
    // Scans the volumes for data directories and downloads the ticked ones.
    void OnBatchDownload();
    void OnCheckUpdates();
    // At start-up, when the chosen period has passed since the last check.
    void RunStartupUpdateCheck();
    void OnConvert();
    void OnMarketBreadth();
    void OnIndex();
    void OnReport();
    bool OnUpdateSymbolDatabase();
    // Repairs the directory shown and says what was mended and what is left.
    void OnCheckRepair();
    // The status bar's word on the directory shown; empty when it is sound.
    QString DamageNote() const;
    // The database the lists read: the updated one, else the shipped one.
    std::filesystem::path SymbolDatabasePath() const;
    void OpenHelpTopic(const QString& topic);
    DownloadContext MakeDownloadContext();
    // The selection and the directory the analytics dialogs work on.
    AnalyticsContext MakeAnalyticsContext();

    // The scheduler (TaskTimers): arms every slot in use and switched on;
    // disarms one slot at once; checks the slots now, as the minute's tick
    // does; fires one slot, false when the system is ending after it.
    void ArmTaskTimers();
    void DisarmTaskTimer(std::size_t slot);
    void OnTaskTimer();
    bool FireTask(std::size_t slot);
    const TaskTimers& Scheduler() const { return *taskTimers_; }
    // "Corvane Settings", opened on the Startup (0) or Scheduler (2) page.
    void ShowSettingsSheet(int page);

Q_SIGNALS:
    // The window has closed for good; the system ends.
    void Ended();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateCommands();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateTray();
    void Connect(int id, std::function<void()> handler);
    void HideToTray();
    bool ConfirmExit();
    bool IsAvailable(const CommandInfo& command) const;
    void AddProxy(QMenu& menu, int id, const QString& text);
    void ShowAbout();
    void ShowHelp();
    std::string FirstSelectedSymbol() const;
    bool PickFromLists(QWidget* owner, std::string& symbols, std::string& names);
    bool InLongOperation() const;

    CCorvaneDoc& doc_;
    AppSettings& settings_;
    FrameServices services_;
    // Long operations pump and ask through these, so the scheduler sees them.
    CountingPump pump_{services_.pump};
    CountingPrompt operationPrompt_{doc_.GetPrompt()};
    std::unique_ptr<CDownloader> downloader_;  // the scheduled downloads' engine
    TaskTimers* taskTimers_ = nullptr;
    CRightListView* list_;
    CLeftTreeView* tree_;
    QToolBar* toolBar_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QLabel* damageLabel_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QActionGroup* viewModes_ = nullptr;
    std::map<int, QAction*> commands_;
    std::vector<VolumeRoot> roots_;
    BatchTable batch_;
    bool ending_ = false;
    bool inTray_ = false;
};

}  // namespace corvane
